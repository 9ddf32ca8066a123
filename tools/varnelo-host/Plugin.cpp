#include "Plugin.h"

#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <iomanip>
#include <iterator>

#include "Text.h"

namespace varnelohost {

namespace {

bool IsFile(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

std::string ProgramFolder() {
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return ".";
    const std::string program(path, static_cast<std::size_t>(length));
    return program.substr(0, program.rfind('/'));
}

// Where the Varnelo libraries lie relative to this program: installed
// (bin/ next to lib/FreeFrameGL/) or in the build tree (bin/ next to plugins/).
std::vector<std::string> PluginFolders() {
    const std::string folder = ProgramFolder();
    return {folder + "/../" VARNELO_INSTALL_LIBDIR "/FreeFrameGL", folder + "/../plugins"};
}

const char* const kVarneloNames[] = {"Varnelo4", "Varnelo8", "Varnelo16", "Varnelo32"};
const unsigned kStepCounts[] = {4, 8, 16, 32};

bool IsVarneloName(const std::string& name) {
    return std::find(std::begin(kVarneloNames), std::end(kVarneloNames), name) !=
           std::end(kVarneloNames);
}

bool IsFolder(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

std::string Lower(std::string text) {
    for (char& character : text)
        character = static_cast<char>(std::tolower(static_cast<unsigned char>(character)));
    return text;
}

// The file name of a path without its folder and a ".so" ending.
std::string BaseName(const std::string& path) {
    std::string name = path.substr(path.find_last_of('/') + 1);
    if (name.size() > 3 && Lower(name.substr(name.size() - 3)) == ".so")
        name.resize(name.size() - 3);
    return name;
}

// Letters to insert, delete or replace to turn one text into the other.
std::size_t EditDistance(const std::string& from, const std::string& to) {
    std::vector<std::size_t> row(to.size() + 1);
    for (std::size_t column = 0; column < row.size(); ++column) row[column] = column;
    for (std::size_t line = 1; line <= from.size(); ++line) {
        std::size_t diagonal = row[0];
        row[0] = line;
        for (std::size_t column = 1; column <= to.size(); ++column) {
            const std::size_t above = row[column];
            const std::size_t replace = diagonal + (from[line - 1] == to[column - 1] ? 0 : 1);
            row[column] = std::min({above + 1, row[column - 1] + 1, replace});
            diagonal = above;
        }
    }
    return row[to.size()];
}

// "Varnelo" and a number in any letter case: the name of the nearest step
// count (the smaller on a tie); "" otherwise.
std::string NearestStepCount(const std::string& lower) {
    const std::string prefix = "varnelo";
    const std::string digits = lower.substr(std::min(prefix.size(), lower.size()));
    if (lower.compare(0, prefix.size(), prefix) != 0 || digits.empty() || digits.size() > 6 ||
        digits.find_first_not_of("0123456789") != std::string::npos)
        return "";
    const long wanted = std::stol(digits);
    std::size_t best = 0;
    for (std::size_t at = 1; at < std::size(kStepCounts); ++at) {
        if (std::labs(wanted - static_cast<long>(kStepCounts[at])) <
            std::labs(wanted - static_cast<long>(kStepCounts[best])))
            best = at;
    }
    return kVarneloNames[best];
}

// One line per plug-in found, after the error's first line.
std::string FoundList() {
    const std::vector<std::string> found = FoundPlugins();
    if (found.empty()) {
        return "; no plug-ins found next to this program either (looked in " + PluginFolders()[0] +
               " and " + PluginFolders()[1] + ")";
    }
    std::string list = "; the plug-ins found:";
    for (const std::string& path : found) {
        std::string name = BaseName(path);
        name.resize(std::max<std::size_t>(name.size(), 10), ' ');
        list += "\n  " + name + " " + path;
    }
    return list;
}

std::string Suggestion(const std::string& argument) {
    const std::string nearest = NearestPluginName(argument);
    return nearest.empty() ? "" : " (did you mean " + nearest + "?)";
}

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

std::optional<std::string> ResolvePluginPath(const std::string& argument, std::string* error) {
    if (!argument.empty() && IsFile(argument)) {
        return argument.find('/') == std::string::npos ? "./" + argument : argument;
    }
    std::string name = argument.empty() ? "Varnelo4" : argument;
    if (name.size() > 3 && name.compare(name.size() - 3, 3, ".so") == 0)
        name.resize(name.size() - 3);
    if (IsFolder(argument)) {
        *error = argument + ": a folder, not a plug-in library" + FoundList();
        return std::nullopt;
    }
    if (!IsVarneloName(name)) {
        *error = argument + ": no such file, nor a plug-in of that name" + Suggestion(argument) +
                 FoundList();
        return std::nullopt;
    }
    for (const std::string& folder : PluginFolders()) {
        const std::string path = folder + "/" + name + ".so";
        char resolved[PATH_MAX];
        if (IsFile(path))
            return realpath(path.c_str(), resolved) != nullptr ? std::string(resolved) : path;
    }
    *error = name + ".so not found next to this program (looked in " + PluginFolders()[0] +
             " and " + PluginFolders()[1] + "); build it or give its path";
    const std::vector<std::string> found = FoundPlugins();
    if (!found.empty()) *error += FoundList();
    return std::nullopt;
}

std::vector<std::string> FoundPlugins() {
    std::vector<std::string> found;
    for (const char* name : kVarneloNames) {
        for (const std::string& folder : PluginFolders()) {
            const std::string path = folder + "/" + name + ".so";
            char resolved[PATH_MAX];
            if (!IsFile(path)) continue;
            found.push_back(realpath(path.c_str(), resolved) != nullptr ? resolved : path);
            break;
        }
    }
    return found;
}

std::string NearestPluginName(const std::string& argument) {
    const std::string lower = Lower(BaseName(argument));
    for (const char* name : kVarneloNames) {
        if (Lower(name) == lower) return name;
    }
    std::string byCount = NearestStepCount(lower);
    if (!byCount.empty()) return byCount;
    // The one name at least a letter nearer than every other, two at most.
    std::size_t best = 3;
    std::size_t nearBest = 0;
    std::string nearest;
    for (const char* name : kVarneloNames) {
        const std::size_t distance = EditDistance(lower, Lower(name));
        if (distance < best) {
            best = distance;
            nearest = name;
            nearBest = 1;
        } else if (distance == best) {
            ++nearBest;
        }
    }
    return nearBest == 1 ? nearest : "";
}

std::unique_ptr<hostkit::PluginLibrary> LoadPlugin(const std::string& path, std::string* error) {
    std::string reason;
    auto library = hostkit::PluginLibrary::Load(path, &reason);
    if (library == nullptr) {
        if (reason.empty()) reason = path + ": cannot be loaded";
        if (reason.find("plug-in") == std::string::npos) reason += " (not a plug-in library)";
        *error = reason;
        return nullptr;
    }
    const ffgl::PluginInfoRecord* info = library->Info();
    if (info == nullptr) {
        *error = path + ": plugMain gives no info record (code 0): not a FreeFrame GL plug-in";
        return nullptr;
    }
    if (info->apiMajorVersion != 1) {
        *error = path + ": FreeFrame API version " +
                 Version(info->apiMajorVersion, info->apiMinorVersion) + ", not 1.x";
        return nullptr;
    }
    if (library->Call32(ffgl::kInitialise) != ffgl::kSuccess) {
        *error = path + ": the plug-in refuses to initialise (code 1)";
        return nullptr;
    }
    if (library->Capability(ffgl::kCapProcessOpenGL) != 1) {
        *error =
            path +
            ": does not draw with OpenGL (capability 4): a FreeFrame 1.0 plug-in, not FreeFrame GL";
    } else if (library->ParameterCount() == ffgl::kFailure) {
        *error = path + ": gives no parameter count (code 4)";
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
    out << plugin.name << " (" << plugin.uniqueId << "), " << TypeOfPlugin(plugin.pluginType)
        << ", FreeFrame GL " << Version(plugin.apiMajor, plugin.apiMinor);
    if (plugin.hasExtendedInfo)
        out << ", version " << Version(plugin.versionMajor, plugin.versionMinor);
    out << "\n";
    if (!plugin.description.empty()) out << "  " << plugin.description << "\n";
    if (!plugin.about.empty()) out << "  " << plugin.about << "\n";
    out << "  draws with OpenGL: " << (plugin.processOpenGL ? "yes" : "no")
        << "   set time: " << (plugin.setTime ? "yes" : "no")
        << "   input frames: " << plugin.minInputs << ".." << plugin.maxInputs << "\n"
        << "  file: " << plugin.path << "\n\n";
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
