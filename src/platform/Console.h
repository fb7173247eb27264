#pragma once

#include <string>

namespace platform {

// Prints one line of UTF-8 text on standard output, as std::cout with
// std::endl does. A Windows console shows what the C library writes in its
// own code page (and Wine's byte by byte), which garbled folder names in
// other scripts, so a console gets the line as UTF-16 instead; a pipe or a
// file still gets the UTF-8 bytes.
void printLine(const std::string& line);

#ifdef _WIN32
// The text as the UTF-16 that Windows' wide functions take.
std::wstring utf16(const std::string& utf8);
#endif

}  // namespace platform
