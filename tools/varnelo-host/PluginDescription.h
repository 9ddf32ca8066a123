// Checking and describing a plug-in library the way a host's plug-in
// browser does: identity, capabilities and the parameter table.
#pragma once

#include <cstdint>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "PluginHost.h"

namespace varnelohost {

struct PluginDescription {
    std::string path;
    std::string name;
    std::string uniqueId;
    std::uint32_t apiMajor = 0;
    std::uint32_t apiMinor = 0;
    std::uint32_t pluginType = 0;
    bool hasExtendedInfo = false;
    std::uint32_t versionMajor = 0;
    std::uint32_t versionMinor = 0;
    std::string description;
    std::string about;
    bool processOpenGL = false;
    bool setTime = false;
    std::uint32_t minInputs = 0;
    std::uint32_t maxInputs = 0;
    std::vector<hostkit::ParameterInfo> parameters;
};

// Loads the library, initialises it (code 1) and reads what a browser shows.
// Null with a one-line reason when the file is no FreeFrame GL 1.x plug-in.
std::unique_ptr<hostkit::PluginLibrary> LoadPlugin(const std::string& path, std::string* error);
PluginDescription Describe(const hostkit::PluginLibrary& library);

// "standard", "boolean", "event", "text", or "type N".
std::string TypeName(std::int32_t type);
// The default as the host gets it: a quoted text, on/off, or a number.
std::string DefaultText(const hostkit::ParameterInfo& parameter);

// One "key value" line per field and one "param" line per parameter.
void PrintPlain(const PluginDescription& plugin, std::ostream& out);
// The same for a person, as a short header and an aligned table.
void PrintTable(const PluginDescription& plugin, std::ostream& out);

}  // namespace varnelohost
