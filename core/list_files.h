// Text files of the file list: the playlist (written and read back) and the detailed list.
#pragma once

#include "core/expected.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace camlog::core {

class TaviFichier;

enum class ListFileError { Unreadable, Unwritable };
using ListFileFailure = Error<ListFileError>;

// What the playlist's header and footer say besides the paths.
struct PlaylistInfo {
    std::string programTitle; // e.g. "Camlog 7.0.9En"
    std::string webSite;
    std::string sortCaption; // menu caption of the current sort index, e.g. "by datecode"
    std::string doneOn;      // the current date and time in the datecode display pattern
};

// The lines of a playlist, without line ends.
std::vector<std::string> PlaylistLines(const std::vector<std::string> &paths, const PlaylistInfo &info);

// Writes lines as UTF-16 little-endian with the byte-order mark and CR LF after every line,
// replacing the file only once the whole text is written (a failed write leaves the old file).
Expected<bool, ListFileError> WriteUtf16Lines(const std::filesystem::path &path, const std::vector<std::string> &lines);

// Why a path would not read back from a playlist as it was written (a line break, bytes that
// are not UTF-8, a blank at an end that the reading trims, a "#" that makes it a comment);
// empty when it would.
std::string PlaylistNameProblem(const std::string &name);

// Writes the playlist; refuses it, naming the first path that would not read back (see
// PlaylistNameProblem), and then leaves the file that was there.
Expected<bool, ListFileError> WritePlaylist(const std::filesystem::path &path, const std::vector<std::string> &paths,
                                            const PlaylistInfo &info);

// The paths of a playlist: every line trimmed, empty lines and lines beginning with "#"
// skipped. Reads UTF-16 little-endian (with its byte-order mark), UTF-8, or else
// Windows-1252 text, so any text file of one path per line is a playlist.
Expected<std::vector<std::string>, ListFileError> ReadPlaylist(const std::filesystem::path &path);

// One line of the detailed list for a file object, its fields joined by commas; displayPattern
// is the datecode display pattern (file dates and datecodes).
std::string DetailedListLine(const TaviFichier &file, const std::string &displayPattern);

Expected<bool, ListFileError> WriteDetailedList(const std::filesystem::path &path,
                                                const std::vector<const TaviFichier *> &files,
                                                const std::string &displayPattern);

} // namespace camlog::core
