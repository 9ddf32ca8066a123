#include "PluginFinder.h"

#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>

#include "PluginHost.h"
#include "Text.h"

namespace varnelohost {

namespace {

const char* const kVarneloNames[] = {"Varnelo4", "Varnelo8", "Varnelo16", "Varnelo32"};
const unsigned kStepCounts[] = {4, 8, 16, 32};

bool IsFile(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool IsFolder(const std::string& path) {
    struct stat status {};
    return stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
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

bool IsVarneloName(const std::string& name) {
    return std::find(std::begin(kVarneloNames), std::end(kVarneloNames), name) !=
           std::end(kVarneloNames);
}

// `name` without a ".so" ending in any letter case.
std::string WithoutSo(std::string name) {
    if (name.size() > 3 && Lower(name.substr(name.size() - 3)) == ".so")
        name.resize(name.size() - 3);
    return name;
}

// The file name of a path without its folder and a ".so" ending.
std::string BaseName(const std::string& path) {
    return WithoutSo(path.substr(path.find_last_of('/') + 1));
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

// The Varnelo library files, without reading their names.
std::vector<FoundPlugin> FoundFiles() {
    std::vector<FoundPlugin> found;
    for (const char* name : kVarneloNames) {
        for (const std::string& folder : PluginFolders()) {
            const std::string path = folder + "/" + name + ".so";
            char resolved[PATH_MAX];
            if (!IsFile(path)) continue;
            found.push_back(
                {name, "", realpath(path.c_str(), resolved) != nullptr ? resolved : path});
            break;
        }
    }
    return found;
}

// The name each library gives a host (code 0), read without initialising it.
void ReadShownNames(std::vector<FoundPlugin>& found) {
    for (FoundPlugin& plugin : found) {
        const std::unique_ptr<hostkit::PluginLibrary> library =
            hostkit::PluginLibrary::Load(plugin.path);
        if (library != nullptr && library->Info() != nullptr) plugin.shownName = library->Name();
    }
}

// The plug-ins found, after the error's first line.
std::string FoundList(const std::vector<FoundPlugin>& found) {
    if (found.empty())
        return "; no plug-ins found next to this program either (" + SearchedFolders() + ")";
    std::string list = "; the plug-ins found:";
    for (const std::string& line : FoundLines(found, "  ")) list += "\n" + line;
    return list;
}

std::string Suggestion(const std::string& argument) {
    const std::string nearest = NearestPluginName(argument);
    return nearest.empty() ? "" : " (did you mean " + nearest + "?)";
}

std::string Padded(std::string text, std::size_t width) {
    text.resize(std::max(text.size(), width), ' ');
    return text;
}

}  // namespace

std::optional<std::string> ResolvePluginPath(const std::string& argument, std::string* error) {
    if (!argument.empty() && IsFile(argument)) {
        return argument.find('/') == std::string::npos ? "./" + argument : argument;
    }
    if (IsFolder(argument)) {
        *error = Bare(argument) + ": a folder, not a plug-in library" + FoundList(FoundPlugins());
        return std::nullopt;
    }
    const std::string name = argument.empty() ? "Varnelo4" : WithoutSo(argument);
    std::vector<FoundPlugin> found = FoundFiles();
    for (const FoundPlugin& plugin : found) {
        if (plugin.fileName == name) return plugin.path;
    }
    ReadShownNames(found);
    for (const FoundPlugin& plugin : found) {
        if (!plugin.shownName.empty() && plugin.shownName == argument) return plugin.path;
    }
    if (IsVarneloName(name)) {
        *error = name + ".so not found next to this program (" + SearchedFolders() +
                 "); build it or give its path";
        if (!found.empty()) *error += FoundList(found);
    } else {
        *error = Quote(argument) + ": no such file, nor a plug-in of that name" +
                 Suggestion(argument) + FoundList(found);
    }
    return std::nullopt;
}

std::vector<FoundPlugin> FoundPlugins() {
    std::vector<FoundPlugin> found = FoundFiles();
    ReadShownNames(found);
    return found;
}

std::vector<std::string> FoundLines(const std::vector<FoundPlugin>& found,
                                    const std::string& indent) {
    std::size_t fileWidth = 0;
    std::size_t shownWidth = 0;
    for (const FoundPlugin& plugin : found) {
        fileWidth = std::max(fileWidth, plugin.fileName.size());
        shownWidth = std::max(shownWidth, Quote(plugin.shownName).size());
    }
    std::vector<std::string> lines;
    lines.reserve(found.size());
    for (const FoundPlugin& plugin : found) {
        lines.push_back(indent + Padded(plugin.fileName, fileWidth) + "  " +
                        Padded(Quote(plugin.shownName), shownWidth) + "  " + Bare(plugin.path));
    }
    return lines;
}

std::string SearchedFolders() {
    const std::vector<std::string> folders = PluginFolders();
    return "looked in " + Bare(folders[0]) + " and " + Bare(folders[1]);
}

std::string NearestPluginName(const std::string& argument) {
    // Blanks left out: "Varnelo 5" is read as "Varnelo5".
    std::string lower = Lower(BaseName(argument));
    lower.erase(std::remove(lower.begin(), lower.end(), ' '), lower.end());
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

}  // namespace varnelohost
