// Whether the X display named by DISPLAY can be reached, asked before Qt is: Qt ends the program
// on SIGABRT when it cannot connect, with no word a user of camlog would understand.
#pragma once

#include <optional>
#include <string>

namespace camlog::app {

// Nothing when the display looks reachable, or cannot be tested from here (a remote display, a
// Wayland session, a platform chosen in QT_QPA_PLATFORM other than xcb); else why it is not:
// "cannot connect to the display :7".
std::optional<std::string> UnreachableDisplay();

} // namespace camlog::app
