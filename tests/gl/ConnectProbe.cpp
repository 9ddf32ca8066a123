// A plug-in library like Varnelo4 whose instances count their Connect
// calls, so that a test can watch what the first frames do. Besides
// plugMain it exports ConnectCalls: the count over all its instances.
#include "PluginInfo.h"
#include "Varnelo.h"

namespace {

using sequencer::Varnelo;

int connectCalls = 0;

class ConnectCountingVarnelo : public Varnelo {
public:
    std::uint32_t Connect() override {
        ++connectCalls;
        return Varnelo::Connect();
    }
};

std::uint32_t CreateCountingInstance(ffgl::CFreeFrameGLPlugin** instance) {
    try {
        *instance = new ConnectCountingVarnelo;
        return ffgl::kSuccess;
    } catch (...) {
        *instance = nullptr;
        return ffgl::kFailure;
    }
}

ffgl::CPluginInfo probeInfo({"VNCP", "Varnelo probe", "Counts Connect calls", "Varnelo test probe",
                       CreateCountingInstance});

}  // namespace

extern "C" __attribute__((visibility("default"))) int ConnectCalls() { return connectCalls; }
