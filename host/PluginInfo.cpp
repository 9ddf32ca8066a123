#include "PluginInfo.h"

#include <cstdlib>
#include <cstring>

namespace {

// Zero-initialised before any constructor runs, so the order in which the
// library's static initialisers run does not matter.
CPluginInfo* registeredInfo = nullptr;

// Copies up to sizeof(field) bytes, stopping after the terminator; the
// bytes after it are not written and stay zero.
template <std::size_t Size>
void CopyField(std::uint8_t (&field)[Size], const char* text) {
    for (std::size_t i = 0; i < Size; ++i) {
        field[i] = static_cast<std::uint8_t>(text[i]);
        if (text[i] == '\0') break;
    }
}

// malloc rather than new: this runs while the library loads, where an
// exception could only end the host. Null when memory is exhausted.
char* CopyText(const char* text) {
    const std::size_t size = std::strlen(text) + 1;
    char* copy = static_cast<char*>(std::malloc(size));
    if (copy != nullptr) std::memcpy(copy, text, size);
    return copy;
}

}  // namespace

CPluginInfo::CPluginInfo(const PluginIdentity& identity) : info{}, extendedInfo{} {
    info.apiMajorVersion = 1;
    info.apiMinorVersion = 0;
    CopyField(info.uniqueId, identity.uniqueId);
    CopyField(info.name, identity.name);
    info.pluginType = ffgl::kPluginTypeEffect;
    extendedInfo.pluginMajorVersion = 1;
    extendedInfo.pluginMinorVersion = 0;
    extendedInfo.description = CopyText(identity.description);
    extendedInfo.about = CopyText(identity.about);
    extendedInfo.extendedDataSize = 0;
    extendedInfo.extendedData = nullptr;
    factory = identity.factory;
    RegisterPluginInfo(this);
}

CPluginInfo::~CPluginInfo() {
    std::free(const_cast<char*>(extendedInfo.description));
    std::free(const_cast<char*>(extendedInfo.about));
    extendedInfo.description = nullptr;
    extendedInfo.about = nullptr;
}

CPluginInfo* RegisteredPluginInfo() { return registeredInfo; }

void RegisterPluginInfo(CPluginInfo* record) { registeredInfo = record; }
