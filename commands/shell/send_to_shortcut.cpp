// The desktop entry that stands for the "Send To" shortcut.
#include "commands/shell/send_to_shortcut.h"

#include "core/program_file.h"
#include "core/replacing_file.h"

#include <QStandardPaths>
#include <QString>

#include <filesystem>
#include <system_error>

namespace camlog::commands {
namespace {

namespace fs = std::filesystem;

// The AVI files the program opens, and raw DV.
constexpr const char *kMimeTypes = "video/x-msvideo;video/avi;video/msvideo;video/vnd.avi;video/x-dv;";

// Escapes of a string value of a desktop entry (applied after the Exec quoting).
std::string escapedValue(const std::string &value)
{
    std::string text;
    for (const char c : value) {
        switch (c) {
        case '\\':
            text += "\\\\";
            break;
        case '\n':
            text += "\\n";
            break;
        case '\t':
            text += "\\t";
            break;
        case '\r':
            text += "\\r";
            break;
        default:
            text += c;
        }
    }
    return text;
}

// One argument of an Exec line, always in double quotes: inside them '"', '`', '$' and '\' take
// a backslash; '%' is doubled so it is not read as a field code.
std::string quotedExecArgument(const std::string &argument)
{
    std::string text = "\"";
    for (const char c : argument) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            text += '\\';
        if (c == '%')
            text += '%';
        text += c;
    }
    return text + "\"";
}

bool validName(const std::string &name)
{
    return !name.empty() && name.find('/') == std::string::npos && name != "." && name != "..";
}

fs::path entryPath(const std::string &name)
{
    return fs::path(SendToFolder()) / (name + ".desktop");
}

} // namespace

std::string SendToFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdString() + "/applications";
}

std::string DesktopEntryText(const std::string &name, const std::string &programPath)
{
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Version=1.0\n"
           "Name="
           + escapedValue(name)
           + "\n"
             "Comment="
           + escapedValue("Shortcut to " + name)
           + "\n"
             "Exec="
           + escapedValue(quotedExecArgument(programPath))
           + " %F\n"
             "Terminal=false\n"
             "Categories=AudioVideo;Video;\n"
             "MimeType="
           + kMimeTypes + "\n";
}

bool CreateSendToShortcut(const std::string &name)
{
    if (!validName(name))
        return false;
    const std::string program = core::ProgramFile();
    if (program.empty())
        return false;
    std::error_code error;
    const fs::path path = entryPath(name);
    fs::create_directories(path.parent_path(), error);
    if (error)
        return false;
    const std::string text = DesktopEntryText(name, program);
    core::ReplacingFile file(path);
    return file.append(text.data(), text.size()) && file.commit();
}

bool DeleteSendToShortcut(const std::string &name)
{
    if (!validName(name))
        return false;
    std::error_code error;
    return fs::remove(entryPath(name), error);
}

} // namespace camlog::commands
