// The running system's name from os-release and uname.
#include "commands/shell/operating_system_name.h"

#include <fstream>
#include <sstream>

#include <sys/utsname.h>

namespace camlog::commands {
namespace {

// A shell-style value: double or single quotes around it, backslash escapes inside double quotes.
std::string unquoted(std::string_view value)
{
    if (value.size() >= 2 && value.front() == '\'' && value.back() == '\'')
        return std::string(value.substr(1, value.size() - 2));
    if (value.size() < 2 || value.front() != '"' || value.back() != '"')
        return std::string(value);
    std::string text;
    value = value.substr(1, value.size() - 2);
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\\' && i + 1 < value.size())
            ++i;
        text += value[i];
    }
    return text;
}

std::string readFile(const char *path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

std::string OperatingSystemName(std::string_view osRelease, const std::string &kernelRelease)
{
    std::string name = "Linux";
    constexpr std::string_view kKey = "PRETTY_NAME=";
    while (!osRelease.empty()) {
        const auto end = osRelease.find('\n');
        std::string_view line = osRelease.substr(0, end);
        osRelease = end == std::string_view::npos ? std::string_view() : osRelease.substr(end + 1);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.remove_suffix(1);
        if (line.substr(0, kKey.size()) == kKey) {
            const std::string value = unquoted(line.substr(kKey.size()));
            if (!value.empty())
                name = value;
        }
    }
    return name + " - kernel " + kernelRelease;
}

std::string OperatingSystemName()
{
    std::string osRelease = readFile("/etc/os-release");
    if (osRelease.empty())
        osRelease = readFile("/usr/lib/os-release");
    struct utsname system {};
    const std::string kernel = ::uname(&system) == 0 ? std::string(system.release) : std::string("?");
    return OperatingSystemName(osRelease, kernel);
}

} // namespace camlog::commands
