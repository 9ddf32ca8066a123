#include "PluginInfo.h"

#include "TextCopy.h"

namespace ffgl {

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

}  // namespace

CPluginInfo::CPluginInfo(const PluginIdentity& identity) : info{}, extendedInfo{} {
    info.apiMajorVersion = 1;
    info.apiMinorVersion = 0;
    CopyField(info.uniqueId, identity.uniqueId);
    CopyField(info.name, identity.name);
    info.pluginType = kPluginTypeEffect;
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
    delete[] extendedInfo.description;
    delete[] extendedInfo.about;
    extendedInfo.description = nullptr;
    extendedInfo.about = nullptr;
}

CPluginInfo* RegisteredPluginInfo() { return registeredInfo; }

void RegisterPluginInfo(CPluginInfo* record) { registeredInfo = record; }

}  // namespace ffgl
