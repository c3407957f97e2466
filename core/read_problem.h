// Why a file the user named cannot be read as a video, in words for a message.
#pragma once

#include <string>

namespace camlog::core {

// Looks at the file without waiting on it (a FIFO is not opened for reading): the system's
// reason when it cannot be opened ("Permission denied"), "it is not a regular file", "the file
// is empty", "its AVI headers are damaged or hold no stream Camlog reads" or "it is neither an
// AVI nor a DV file". For a file whose probe found nothing to show.
std::string VideoReadProblem(const std::string &path);

} // namespace camlog::core
