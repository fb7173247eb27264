#pragma once

#include <ostream>
#include <string>

namespace platform {

// Reports an error that ends the program: the line goes to the given
// stream and, on Windows, also into a message box titled "Tarvello!",
// which waits for the player. A console started with the game from
// Explorer or a shortcut closes with it, so the box is the only place
// such a player can read why. The caller ends the program afterwards.
void reportFatalError(std::ostream& stream, const std::string& line);

}  // namespace platform
