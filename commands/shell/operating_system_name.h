// The name of the running system for the about panel.
#pragma once

#include <string>
#include <string_view>

namespace camlog::commands {

// The distribution's name (PRETTY_NAME of /etc/os-release, else /usr/lib/os-release) and the
// kernel release from uname: "Debian GNU/Linux 12 (bookworm) - kernel 6.1.0-18-amd64".
std::string OperatingSystemName();

// The same from the text of an os-release file and a kernel release. Without a PRETTY_NAME the
// name is "Linux".
std::string OperatingSystemName(std::string_view osRelease, const std::string &kernelRelease);

} // namespace camlog::commands
