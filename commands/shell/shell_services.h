// What the commands ask of the desktop: a file manager, default applications, mail, the Trash and
// starting another program. The freedesktop implementation serves the program; tests use a fake.
#pragma once

#include <string>
#include <vector>

namespace camlog::commands {

class ShellServices {
public:
    virtual ~ShellServices() = default;

    // Opens a file manager on the file's folder with the file selected; false when neither a file
    // manager nor the folder's default application took the request.
    virtual bool ShowInFolder(const std::string &path) = 0;
    // Opens a document or an address with the desktop's default application; false when no
    // application took it.
    virtual bool OpenDocument(const std::string &pathOrAddress) = 0;
    // Opens a new mail; subject and body are already in mail-link encoding ("%0D%0A" line breaks).
    // False when no mail program took it.
    virtual bool SendMailTo(const std::string &address, const std::string &subject, const std::string &body) = 0;
    // Moves the file (path unchanged, case kept) to the Trash; true on success.
    virtual bool RecycleFile(const std::string &path) = 0;
    // Starts a program with its arguments, detached; false when it could not be started.
    virtual bool StartProgram(const std::string &program, const std::vector<std::string> &arguments) = 0;
};

} // namespace camlog::commands
