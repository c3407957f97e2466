// The commands that hand files to the desktop or to other programs, and the deletions to the Trash.
#include "commands/file_commands.h"

#include "commands/question_length.h"
#include "core/avi_fichier.h"
#include "scenes/companion_file.h"

#include <filesystem>
#include <stdexcept>

namespace camlog::commands {

namespace {
const char kTrashNotice[] = "\nIf yes, it will be sent to the Trash.";

bool exists(const std::string &path)
{
    std::error_code ec;
    return !path.empty() && std::filesystem::exists(std::filesystem::path(path), ec);
}
} // namespace

std::string DeleteFileQuestion(std::string_view fileName)
{
    std::string question = "Do you really want to delete the file " + std::string(fileName) + " ?" + kTrashNotice;
    if (TooLongForQuestion(question))
        question = std::string("Do you really want to delete this file?") + kTrashNotice;
    return question;
}

void SupprimerFichierExecution(const core::TaviFichier &fichier, ShellServices &shell, engine::TCommandEngine &ce)
{
    bool recycled = false;
    try {
        recycled = shell.RecycleFile(fichier.FullPath);
    } catch (...) {
        // The desktop's failure is the file's failure, never the end of the run.
    }
    if (!recycled && exists(fichier.FullPath)) {
        ce.ErrorCommand("Cannot move " + fichier.FullPath + " to the Trash", engine::etError);
        return;
    }
    ce.RemoveFichier();
}

void DeleteCompanionExecution(const core::TaviFichier &fichier, std::string_view extension, ShellServices &shell)
{
    const std::string companion = scenes::ChangeFileExtension(fichier.FullPath, extension);
    if (!shell.RecycleFile(companion) && exists(companion))
        throw std::runtime_error("cannot move " + companion + " to the Trash");
}

void OpenWithProgram(const std::string &program, const core::TaviFichier &fichier, ShellServices &shell)
{
    if (program.empty())
        return;
    shell.StartProgram(program, {fichier.FullPath});
}

void SnapdeckExecution(const core::TaviFichier &fichier, const prefs::Settings &settings, ShellServices &shell)
{
    if (settings.fichierSnapdeck.empty())
        return;
    shell.StartProgram(settings.fichierSnapdeck,
                       {settings.chargerSnapdeck ? "+F=" + fichier.FullPath : fichier.FullPath});
}

bool SnapdeckFileCondition(const prefs::Settings &settings)
{
    return exists(settings.fichierSnapdeck);
}

} // namespace camlog::commands
