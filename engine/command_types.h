// The vocabulary shared by commands, the engine and its hosts: enumerations, answers, parameters.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace camlog::core {
class TaviFichier;
}

namespace camlog::engine {

// Which files a command takes from the list.
enum class TcmdNombre { fnNone, fnSingle, fnSelect, fnAll };
using enum TcmdNombre;

// When the list's active entry is refreshed.
enum class TUpdateDisplay { udNone, udFinal, udEach };
using enum TUpdateDisplay;

// How the file list changes after a file has been executed.
enum class TUpdateFile { ufNone, ufAdd, ufRemove, ufReload, ufReplace, ufRename };
using enum TUpdateFile;

// What an error reported during an execution means for the run.
enum class TErrorType { etNoError, etError, etAllError };
using enum TErrorType;

// The user's answer to a confirmation question.
enum class TAnswer { Yes, No, Cancel, NoToAll, YesToAll };

// The buttons a confirmation question offers: Yes, No, Cancel; or those and No to All, Yes to All.
enum class TQuestionButtons { YesNoCancel, YesNoCancelAll };

// The string parameters given to a run.
using TParams = std::vector<std::string>;

// File objects are owned by the file list; a run holds a reference to each of its files so that
// an entry removed or replaced during the run (by the run itself, by an opening or by the user)
// never leaves the worker with a freed object.
using AviFilePtr = std::shared_ptr<core::TaviFichier>;

} // namespace camlog::engine
