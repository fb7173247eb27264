#include "platform/Console.h"

#include <cstdio>
#include <iostream>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#endif

namespace platform {

#ifdef _WIN32
std::wstring utf16(const std::string& utf8) {
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring text(length > 0 ? length : 0, L'\0');
    if (length > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, text.data(), length);
    return text;
}
#endif

void printLine(const std::string& line) {
#ifdef _WIN32
    const auto out = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stdout)));
    DWORD mode = 0;
    if (out != INVALID_HANDLE_VALUE && GetConsoleMode(out, &mode)) {
        std::cout.flush();
        const std::wstring text = utf16(line + "\r\n");
        DWORD written = 0;
        if (WriteConsoleW(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) return;
    }
#endif
    std::cout << line << std::endl;
}

}  // namespace platform
