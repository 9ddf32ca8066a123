// Finding the plug-in library the PLUGIN argument names: a path, the file
// name of a Varnelo library in the plug-in folders next to this program, or
// the name a host's browser shows for one; and, when nothing fits, the
// libraries found and the name most likely meant.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace varnelohost {

// A Varnelo library in a plug-in folder next to this program.
struct FoundPlugin {
    std::string fileName;   // "Varnelo8": the file's name without ".so"
    std::string shownName;  // the name it gives a host: "Varnelo 8"; "" when unreadable
    std::string path;       // absolute, links resolved
};

// The file to load for the PLUGIN argument: the argument when it names a
// file (made "./x" when it has no "/", so that dlopen does not search the
// library path); else the library of that file name (with or without
// ".so") or of that shown name ("Varnelo 8") among FoundPlugins; "" (no
// argument) is Varnelo4. Null when nothing is found, with a one-line
// reason in `error`, followed by the FoundLines of the libraries found, if
// any, and the nearest name suggested when there is one.
std::optional<std::string> ResolvePluginPath(const std::string& argument, std::string* error);

// The Varnelo libraries in the plug-in folders next to this program
// (installed, then the build tree), each file name once, by step count.
// Each is loaded to read its name, and unloaded again.
std::vector<FoundPlugin> FoundPlugins();

// One line per plug-in, each begun with `indent`, in aligned columns: the
// file name, the shown name quoted, the path. For --list and for errors.
std::vector<std::string> FoundLines(const std::vector<FoundPlugin>& found,
                                    const std::string& indent);

// Where FoundPlugins looks, for the message when it finds nothing.
std::string SearchedFolders();

// The plug-in name that `argument` most likely means, "" when none: the
// file name without its folder, ".so" and blanks matched case-insensitively
// ("varnelo8" and "varnelo 8" are Varnelo8); "Varnelo" and another number gives the nearest
// step count (Varnelo5 is Varnelo4); else a name one or two letters away
// when only one is that close.
std::string NearestPluginName(const std::string& argument);

}  // namespace varnelohost
