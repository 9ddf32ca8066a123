#include "PluginDescription.h"

#include <algorithm>
#include <iomanip>

#include "Text.h"

namespace varnelohost {

namespace {

std::string Number(std::uint32_t value) { return std::to_string(value); }

std::string Version(std::uint32_t major, std::uint32_t minor) {
    return Number(major) + "." + Number(minor);
}

std::string TypeOfPlugin(std::uint32_t type) {
    if (type == ffgl::kPluginTypeEffect) return "effect";
    if (type == ffgl::kPluginTypeSource) return "source";
    return "type " + Number(type);
}

// A name as it stands when it is printable, quoted with escapes otherwise.
std::string Shown(const std::string& name) {
    const bool printable = std::all_of(name.begin(), name.end(), [](char character) {
        return static_cast<unsigned char>(character) >= 0x20 &&
               static_cast<unsigned char>(character) < 0x7f;
    });
    return printable ? name : Quote(name);
}

// A text the plug-in owns, read up to its terminator; "" for null.
std::string PluginText(const char* text) { return text != nullptr ? text : ""; }

}  // namespace

std::unique_ptr<hostkit::PluginLibrary> LoadPlugin(const std::string& path, std::string* error) {
    std::string reason;
    auto library = hostkit::PluginLibrary::Load(path, &reason);
    if (library == nullptr) {
        if (reason.empty()) reason = Bare(path) + ": cannot be loaded";
        if (reason.find("plug-in") == std::string::npos) reason += " (not a plug-in library)";
        *error = reason;
        return nullptr;
    }
    const ffgl::PluginInfoRecord* info = library->Info();
    if (info == nullptr) {
        *error =
            Bare(path) + ": plugMain gives no info record (code 0): not a FreeFrame GL plug-in";
        return nullptr;
    }
    if (info->apiMajorVersion != 1) {
        *error = Bare(path) + ": FreeFrame API version " +
                 Version(info->apiMajorVersion, info->apiMinorVersion) + ", not 1.x";
        return nullptr;
    }
    if (library->Call32(ffgl::kInitialise) != ffgl::kSuccess) {
        *error = Bare(path) + ": the plug-in refuses to initialise (code 1)";
        return nullptr;
    }
    if (library->Capability(ffgl::kCapProcessOpenGL) != 1) {
        *error =
            Bare(path) +
            ": does not draw with OpenGL (capability 4): a FreeFrame 1.0 plug-in, not FreeFrame GL";
    } else if (library->ParameterCount() == ffgl::kFailure) {
        *error = Bare(path) + ": gives no parameter count (code 4)";
    } else {
        return library;
    }
    library->Call(ffgl::kDeinitialise);  // as a host does before it unloads
    return nullptr;
}

PluginDescription Describe(const hostkit::PluginLibrary& library) {
    PluginDescription plugin;
    plugin.path = library.Path();
    const ffgl::PluginInfoRecord* info = library.Info();
    plugin.name = library.Name();
    plugin.uniqueId = library.UniqueId();
    plugin.apiMajor = info->apiMajorVersion;
    plugin.apiMinor = info->apiMinorVersion;
    plugin.pluginType = info->pluginType;
    if (const ffgl::PluginExtendedInfoRecord* extended = library.ExtendedInfo()) {
        plugin.hasExtendedInfo = true;
        plugin.versionMajor = extended->pluginMajorVersion;
        plugin.versionMinor = extended->pluginMinorVersion;
        plugin.description = PluginText(extended->description);
        plugin.about = PluginText(extended->about);
    }
    plugin.processOpenGL = library.Capability(ffgl::kCapProcessOpenGL) == 1;
    plugin.setTime = library.Capability(ffgl::kCapSetTime) == 1;
    plugin.minInputs = library.Capability(ffgl::kCapMinInputFrames);
    plugin.maxInputs = library.Capability(ffgl::kCapMaxInputFrames);
    plugin.parameters = library.Parameters();
    return plugin;
}

std::string TypeName(std::int32_t type) {
    switch (type) {
    case ffgl::kTypeBoolean: return "boolean";
    case ffgl::kTypeEvent: return "event";
    case ffgl::kTypeStandard: return "standard";
    case ffgl::kTypeText: return "text";
    default: return "type " + std::to_string(type);
    }
}

std::string DefaultText(const hostkit::ParameterInfo& parameter) {
    if (parameter.type == ffgl::kTypeText) return Quote(parameter.defaultText);
    const bool isSwitch =
        parameter.type == ffgl::kTypeBoolean || parameter.type == ffgl::kTypeEvent;
    if (isSwitch && parameter.defaultValue == 0.0f) return "off";
    if (isSwitch && parameter.defaultValue == 1.0f) return "on";
    return FloatText(parameter.defaultValue);
}

void PrintPlain(const PluginDescription& plugin, std::ostream& out) {
    out << "plugin " << Quote(plugin.path) << "\n"
        << "name " << Quote(plugin.name) << "\n"
        << "id " << Quote(plugin.uniqueId) << "\n"
        << "type " << TypeOfPlugin(plugin.pluginType) << "\n"
        << "api " << Version(plugin.apiMajor, plugin.apiMinor) << "\n";
    if (plugin.hasExtendedInfo) {
        out << "version " << Version(plugin.versionMajor, plugin.versionMinor) << "\n"
            << "description " << Quote(plugin.description) << "\n"
            << "about " << Quote(plugin.about) << "\n";
    }
    out << "capability process-opengl " << (plugin.processOpenGL ? "yes" : "no") << "\n"
        << "capability set-time " << (plugin.setTime ? "yes" : "no") << "\n"
        << "capability min-inputs " << plugin.minInputs << "\n"
        << "capability max-inputs " << plugin.maxInputs << "\n"
        << "parameters " << plugin.parameters.size() << "\n";
    for (const hostkit::ParameterInfo& parameter : plugin.parameters) {
        out << "param " << parameter.index << " " << Quote(parameter.name) << " "
            << TypeName(parameter.type) << " " << DefaultText(parameter) << "\n";
    }
}

void PrintTable(const PluginDescription& plugin, std::ostream& out) {
    out << Printable(plugin.name) << " (" << Printable(plugin.uniqueId) << "), "
        << TypeOfPlugin(plugin.pluginType) << ", FreeFrame GL "
        << Version(plugin.apiMajor, plugin.apiMinor);
    if (plugin.hasExtendedInfo)
        out << ", version " << Version(plugin.versionMajor, plugin.versionMinor);
    out << "\n";
    if (!plugin.description.empty()) out << "  " << Printable(plugin.description) << "\n";
    if (!plugin.about.empty()) out << "  " << Printable(plugin.about) << "\n";
    out << "  draws with OpenGL: " << (plugin.processOpenGL ? "yes" : "no")
        << "   set time: " << (plugin.setTime ? "yes" : "no")
        << "   input frames: " << plugin.minInputs << ".." << plugin.maxInputs << "\n"
        << "  file: " << Printable(plugin.path) << "\n\n";
    std::size_t nameWidth = 4;
    for (const auto& parameter : plugin.parameters)
        nameWidth = std::max(nameWidth, Shown(parameter.name).size());
    out << std::left << "  " << std::setw(5) << "Index"
        << "  " << std::setw(static_cast<int>(nameWidth)) << "Name"
        << "  " << std::setw(9) << "Type"
        << " Default\n";
    for (const auto& parameter : plugin.parameters) {
        out << "  " << std::setw(5) << parameter.index << "  "
            << std::setw(static_cast<int>(nameWidth)) << Shown(parameter.name) << "  "
            << std::setw(9) << TypeName(parameter.type) << " " << DefaultText(parameter) << "\n";
    }
    out << std::right;
}

}  // namespace varnelohost
