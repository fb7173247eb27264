#include "platform/XInputLibrary.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

namespace platform {

void keepXInputLoaded() {
#ifdef _WIN32
    // Wine 8's xinput1_4.dll returns from its pad-polling thread into its
    // own code after its unload stopped waiting for that thread, so a DLL
    // unmapped by GLFW's free now and then crashes the process at exit.
    static const HMODULE kept = LoadLibraryW(L"xinput1_4.dll");
    (void)kept;
#endif
}

}  // namespace platform
