// Loads one library, sends `count` messages and `count` bundles from one
// instance, makes and drops a second instance, and unloads the library:
// run under valgrind to show that sending loses no memory.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "PluginHost.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s PLUGIN COUNT\n", argv[0]);
        return 2;
    }
    const int count = std::atoi(argv[2]);
    std::string error;
    auto library = hostkit::PluginLibrary::Load(argv[1], &error);
    if (!library) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    {
        hostkit::PluginInstance instance(*library);
        if (!instance.Valid()) return 1;
        instance.Set(0, "/leak f[0:10]");
        instance.Set(2, true);  // smoothing: every set sends
        for (int bundle = 0; bundle < 2; ++bundle) {
            instance.Set(std::uint32_t{9}, bundle == 1);  // "OSC Bundle" on four steps
            for (int i = 0; i < count; ++i) instance.Set(1, static_cast<float>(i % 100) / 100.0f);
        }
        hostkit::PluginInstance second(*library);
        if (!second.Valid()) return 1;
    }
    library->Call(2);  // de-initialise: the prototype goes
    return 0;
}
