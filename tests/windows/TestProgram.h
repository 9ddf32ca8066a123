// What the Windows test program's command line hands to its tests.
#pragma once

#include <string>

namespace tests {

// The number corpus file named on the command line.
inline std::string& NumberCorpusPath() {
    static std::string path;
    return path;
}

}  // namespace tests
