#include "platform/FatalError.h"

#include <iostream>

#ifdef _WIN32
#include "platform/Console.h"

#include <windows.h>
#else
#include <cstdlib>
#include <fstream>
#endif

namespace platform {
namespace {
bool showBox = false;
}

void showFatalErrorsInBox(bool show) { showBox = show; }

void reportFatalError(std::ostream& stream, const std::string& line) {
    stream << line << std::endl;
    // Everything printed before stays in front of the box, on the console.
    std::cout.flush();
#ifdef _WIN32
    if (!showBox) return;
    MessageBoxW(nullptr, utf16(line).c_str(), L"Tarvello!", MB_OK | MB_ICONERROR);
#else
    // For the launcher's dialog after a start from the desktop's menu.
    if (const char* file = std::getenv("TARVELLO_FATAL_ERROR_FILE")) std::ofstream(file) << line << '\n';
#endif
}

}  // namespace platform
