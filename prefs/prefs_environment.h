// Where the settings live and the defaults the system gives: the program file, the three settings files, the user's folders.
#pragma once

#include <string>

namespace camlog::prefs {

inline constexpr const char *kProductName = "Camlog";
inline constexpr const char *kMakerName = "Ovrand";

// All paths are UTF-8, "/"-separated and absolute. Tests build one by hand; the program
// takes current().
struct PrefsEnvironment {
    std::string programFile;     // full path of the running program file
    std::string portableFile;    // "Camlog.ini" beside the program file ("Portable" mode)
    std::string normalFile;      // <config>/Ovrand/Camlog.ini ("Normal" mode)
    std::string snapdeckFile;    // <config>/Ovrand/Snapdeck.ini, where Snapdeck registers its path
    std::string videoFolder;     // the user's video folder (no trailing "/")
    std::string documentsFolder; // the user's documents folder (no trailing "/")

    // Folder of the program file with its trailing "/"; empty without a program file.
    std::string programFolder() const;
    // <config>/Ovrand/: the folder shared with Snapdeck.
    std::string makerFolder() const;

    // The running program (core::ProgramFile: the camlog command) with the folders of the current user.
    static PrefsEnvironment current();
    // The given program file with the folders of the current user: <config> is
    // $XDG_CONFIG_HOME when that is an absolute path, else $HOME/.config; the video and
    // documents folders are the XDG user directories. Reads the environment at each call.
    static PrefsEnvironment forProgram(const std::string &programFile);
};

// The user's folders as the settings default to them: the video folder, or the documents
// folder when there is none; the documents folder, or the home folder when there is none,
// or "/" as the last resort.
std::string defaultVideoFolder(const PrefsEnvironment &env);
std::string defaultDocumentsFolder(const PrefsEnvironment &env);

} // namespace camlog::prefs
