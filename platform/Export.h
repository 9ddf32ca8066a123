// How the library's entry point leaves it: the one symbol a host looks up
// by name. Everything else is hidden (-fvisibility=hidden and the version
// script on Linux; only what is marked dllexport on Windows), so several
// libraries built from this source live in one host process without
// touching each other's globals.
#pragma once

#if defined(_WIN32)
#define VARNELO_EXPORT extern "C" __declspec(dllexport)
#else
#define VARNELO_EXPORT extern "C" __attribute__((visibility("default")))
#endif
