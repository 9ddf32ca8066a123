// The unit that compiles the test programs' shared precompiled headers
// (tests/CMakeLists.txt); it holds nothing of its own.
