// Whether the X display can be reached: a connection to the local server's socket.
#include "app/display_check.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace camlog::app {

namespace {

std::string_view Environment(const char *name)
{
    const char *value = std::getenv(name);
    return value != nullptr ? std::string_view(value) : std::string_view();
}

// The display number of a local display (":7", ":7.0", "unix:7"); nothing for any other form.
std::optional<std::string> LocalDisplayNumber(std::string_view display)
{
    if (display.starts_with("unix:"))
        display.remove_prefix(4);
    if (!display.starts_with(':'))
        return std::nullopt;
    display.remove_prefix(1);
    const std::string_view number = display.substr(0, display.find('.'));
    if (number.empty() || number.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    return std::string(number);
}

// A connection to the Unix socket at path (abstract: in the abstract namespace, as Linux X
// servers also listen).
bool Connects(const std::string &path, bool abstract)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::size_t offset = abstract ? 1 : 0;
    if (path.size() + offset >= sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path + offset, path.data(), path.size());
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return true; // nothing to learn here: let Qt try
    const auto length = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + offset + path.size());
    const bool connected = ::connect(fd, reinterpret_cast<const sockaddr *>(&address), length) == 0;
    ::close(fd);
    return connected;
}

} // namespace

std::optional<std::string> UnreachableDisplay()
{
    const std::string_view platform = Environment("QT_QPA_PLATFORM");
    if (!Environment("WAYLAND_DISPLAY").empty() || (!platform.empty() && !platform.starts_with("xcb")))
        return std::nullopt;
    const std::string_view display = Environment("DISPLAY");
    const std::optional<std::string> number = LocalDisplayNumber(display);
    if (!number)
        return std::nullopt;
    const std::string socket = "/tmp/.X11-unix/X" + *number;
    if (Connects(socket, true) || Connects(socket, false))
        return std::nullopt;
    return "cannot connect to the display " + std::string(display);
}

} // namespace camlog::app
