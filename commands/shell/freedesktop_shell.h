// The desktop services on Linux: the file manager over D-Bus, the default applications through
// Qt or xdg-open, the freedesktop Trash, and programs started detached.
#pragma once

#include "commands/shell/shell_services.h"

#include <string>
#include <vector>

namespace camlog::commands {

// Safe to use without a QCoreApplication (the batch mode may have none) and from any thread.
// A request for a default handler waits a few seconds at most for xdg-open's answer, so that a
// target nothing opens is told as false; a missing session bus only means the fallback.
class FreedesktopShell : public ShellServices {
public:
    // Asks the file manager (org.freedesktop.FileManager1.ShowItems on the session bus) to show
    // the file; without a bus or a file manager on it, opens the file's folder instead. A file
    // manager that does not answer within the timeout is taken to be starting: nothing more.
    bool ShowInFolder(const std::string &path) override;
    // A local file is handed over as its absolute path, anything of the form "scheme:..." as an
    // address (percent-encoded where a URI needs it; existing escapes are kept).
    bool OpenDocument(const std::string &pathOrAddress) override;
    bool SendMailTo(const std::string &address, const std::string &subject, const std::string &body) override;
    // Only files (or links) go to the Trash; a folder or a missing path gives false.
    bool RecycleFile(const std::string &path) override;
    bool StartProgram(const std::string &program, const std::vector<std::string> &arguments) override;

    // How long ShowInFolder waits for the file manager's answer.
    int showItemsTimeoutMs = 2000;
    // The bus the file manager is asked on: empty for the session bus, else a D-Bus address.
    std::string busAddress;
};

} // namespace camlog::commands
