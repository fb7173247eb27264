#include "platform/DataPath.h"

namespace platform {

std::string nativePath(const std::string& name) {
#ifdef _WIN32
    return name;
#else
    std::string path = name;
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    return path;
#endif
}

}  // namespace platform
