// The library's registration: the identity the host reads by address and
// the factory that makes instances. One per loaded library, constructed by
// its static initialiser before the host can call plugMain.
#pragma once

#include <cstddef>

#include "FreeFrameGL.h"
#include "FreeFrameGLPlugin.h"

namespace ffgl {

struct PluginIdentity {
    const char* uniqueId;  // 4 characters
    const char* name;      // up to 16 characters
    const char* description;
    const char* about;
    PluginFactory factory;
};

class CPluginInfo {
public:
    // Fills both host-read records and makes this the registered record.
    explicit CPluginInfo(const PluginIdentity& identity);
    // Releases the description and about copies; the registration stays.
    ~CPluginInfo();
    CPluginInfo(const CPluginInfo&) = delete;
    CPluginInfo& operator=(const CPluginInfo&) = delete;

    // Host-read, contiguous: code 0 answers &info, code 13 &extendedInfo.
    PluginInfoRecord info;
    PluginExtendedInfoRecord extendedInfo;
    PluginFactory factory;
};

static_assert(offsetof(CPluginInfo, extendedInfo) == 32, "code 13 answers code 0's address + 32");

// The registered record, null until a static initialiser has registered one.
CPluginInfo* RegisteredPluginInfo();
void RegisterPluginInfo(CPluginInfo* record);

}  // namespace ffgl
