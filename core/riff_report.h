// The RIFF header report: a text listing of one AVI file's chunk tree and header records.
#pragma once

#include "core/date_time.h"
#include "core/expected.h"
#include "core/format.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace camlog::core {

// What the report prints besides the file's own content.
struct RiffReportOptions {
    DateTime now;             // printed in the "analysed on" line
    std::string programTitle; // e.g. "Camlog 7.0.9En"
    std::string webSite;      // the maker's site
    // Date and time separators of the "analysed on" line; the current locale's when empty.
    std::optional<DateTimeLocale> locale;
    // Asked before every chunk; true stops the walk (the window was closed). A GUI may
    // service its events from here. Empty: never cancelled.
    std::function<bool()> cancelRequested;
};

enum class RiffReportEnd {
    NoFile,        // nothing that can be read as a file: the lines are empty
    Complete,      // the walk reached the end of the file or its trailing garbage
    UnexpectedEnd, // a read came back short; the lines hold what could be read
    Cancelled,     // cancelRequested answered true; the lines end with the cancel banner
};

struct RiffReport {
    std::vector<std::string> lines; // UTF-8, without line ends
    RiffReportEnd end = RiffReportEnd::NoFile;

    // The run got to its trailer, so the lines may be saved.
    bool canSave() const { return end == RiffReportEnd::Complete || end == RiffReportEnd::UnexpectedEnd; }
};

// `Banner`: prefix, fill repeated c times, title, fill repeated c times, where
// c = (50 - length(prefix) - length(title)) / 2, none when negative. Lengths are counted
// in characters (UTF-8 code points).
std::string Banner(std::string_view prefix, char fill, std::string_view title);

// `BuildReport`: walks the file once, reading only headers and records (every `movi` list
// and `idx1` is passed with one seek). A chunk is never followed outside its parent or the
// file: a size that runs past either is reported as a bad chunk length and clipped. A
// missing file, or anything that is not a regular readable file, gives no lines.
RiffReport BuildReport(const std::filesystem::path &path, const RiffReportOptions &options);

// The file name the save dialog proposes: the path with the extension ".log".
std::filesystem::path ReportLogPath(const std::filesystem::path &path);

enum class RiffReportSaveError { Unwritable };

// Writes the lines as UTF-8 text, a line feed after each, under a temporary name beside
// the target that is then renamed over it (a failed write leaves any old file as it was).
Expected<bool, RiffReportSaveError> SaveReport(const std::filesystem::path &target,
                                               const std::vector<std::string> &lines);

} // namespace camlog::core
