// install_layout.h - where an installed host finds its parts: beside the running program, as
// `cmake --install` lays them out under any prefix (bin/, lib/tagwright/, share/tagwright/).
#pragma once

#include <string>

namespace tw::host {

// `relative` (to the folder of the running program) when that file or folder exists; else ""
// (a program in the build tree, which uses the build's own paths).
std::string InstalledPath(const std::string& relative);

} // namespace tw::host
