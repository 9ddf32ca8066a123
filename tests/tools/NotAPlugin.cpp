// A loadable library without plugMain: what the host must refuse.
extern "C" __attribute__((visibility("default"))) int notPlugMain() { return 0; }
