#pragma once

#include <ostream>
#include <string>

namespace platform {

// Reports an error that ends the program: the line goes to the given
// stream and, on Windows, once a player's window is shown, also into a
// message box titled "Tarvello!", which waits for the player. A console
// started with the game from Explorer or a shortcut closes with it, so the
// box is the only place such a player can read why. Elsewhere the line is
// also written to the file TARVELLO_FATAL_ERROR_FILE names, when set: the
// Linux launcher, started from the desktop's menu, shows it in a dialog.
// The caller ends the program afterwards.
void reportFatalError(std::ostream& stream, const std::string& line);

// Whether fatal errors also show the box. Off until the start-up opens a
// window the player sees: a test's or a tool's hidden window has no one to
// close a box, and its process would wait for ever.
void showFatalErrorsInBox(bool show);

}  // namespace platform
