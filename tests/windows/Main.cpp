// The Windows test program's entry: GoogleTest's options, then the number
// corpus file that MakeNumberCorpus wrote on Linux.
#include <gtest/gtest.h>

#include <cstdio>

#include "TestProgram.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s [GoogleTest options] <number corpus file>\n", argv[0]);
        return 2;
    }
    tests::NumberCorpusPath() = argv[1];
    return RUN_ALL_TESTS();
}
