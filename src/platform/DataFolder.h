#pragma once

namespace platform {

// The game opens its data files by relative names, so it must run in the
// folder that holds them. When the working folder has no "arial.glf" but
// the executable's own folder has one (the game was started from a
// shortcut, another folder or the checkout's root), this changes into the
// executable's folder and says so in one line. A working folder with a
// font of its own is kept. When neither folder has one, a line names the
// working folder and what was looked for, and the game goes on to report
// each missing file as usual. Called before anything is loaded.
void useGameDataFolder();

}  // namespace platform
