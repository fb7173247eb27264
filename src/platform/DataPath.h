#pragma once

#include <string>

namespace platform {

// Data files are named with backslashes as written ("Shaders\flat.vert");
// this is the one place that turns them into the native separator.
std::string nativePath(const std::string& name);

}  // namespace platform
