#include "platform/DataFolder.h"

#include "platform/Console.h"

#include <filesystem>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <windows.h>
#endif

namespace platform {
namespace {

namespace fs = std::filesystem;

// The font is the one file without which the game cannot start (every other
// missing file is reported and the game plays on), so it marks the game's
// folder; a "Shaders" folder alone does not: the checkout's root has one of
// sources. Anything by that name counts, so a damaged font is reported as
// such rather than swapped for another folder's.
bool holdsGameData(const fs::path& folder) {
    std::error_code ignored;
    return fs::exists(folder / "arial.glf", ignored);
}

// The folder of the running executable, with links resolved; empty when the
// system does not tell.
fs::path executableFolder() {
#ifdef _WIN32
    std::wstring name(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0) return {};
        if (length < name.size()) {
            name.resize(length);
            break;
        }
        // The name was cut to fit; try again with room for a longer one.
        name.resize(name.size() * 2);
    }
    return fs::path(name).parent_path();
#else
    std::error_code error;
    const fs::path executable = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : executable.parent_path();
#endif
}

}  // namespace

void useGameDataFolder() {
    std::error_code error;
    const fs::path working = fs::current_path(error);
    if (error || holdsGameData(working)) return;

    const fs::path own = executableFolder();
    if (!own.empty() && holdsGameData(own)) {
        fs::current_path(own, error);
        if (!error) {
            printLine("No game data in the working folder " + working.u8string() +
                      "; using the game's own folder " + own.u8string());
            return;
        }
    }
    printLine("No game data in the working folder " + working.u8string() + " (looked for the file arial.glf)");
}

}  // namespace platform
