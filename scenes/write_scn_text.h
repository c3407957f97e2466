// The scene text export: a commented header, one line per scene, a commented footer.
#pragma once

#include "core/date_time.h"
#include "core/format.h"
#include "core/program_version.h"
#include "scenes/scene_class.h"
#include "scenes/write_file.h"

#include <functional>
#include <string>
#include <string_view>

namespace camlog::scenes {

// What the header and the footer name besides the video.
struct ScnTextExportInfo {
    std::string programName = std::string(core::kProgramName);
    std::string version = std::string(core::kProgramVersion);
    std::string language = std::string(core::kLanguageCode);
    std::string webSite; // the maker's site, printed in the footer
    // The time printed in the footer; the local time now when empty.
    std::function<core::DateTime()> now;
    // Locale texts of the footer's date; the C library's current locale when null.
    const core::DateTimeLocale *locale = nullptr;
};

class TWriteScn_text : public TwriteFile {
public:
    // Creates the text file (replacing one of that name when closed) and writes the header.
    TWriteScn_text(const std::string &videoPath, const std::filesystem::path &textPath, ScnTextExportInfo info);
    // Writes the footer and puts the file in place.
    ~TWriteScn_text() override;

    // "  n, start, end, duration, datecode, timecode, title, subtitle" with the scene's texts;
    // n counts the lines written, whatever the scene's number.
    void WriteSceneLine(const TSceneClass &scene);

protected:
    void writeTrailer() override;

private:
    ScnTextExportInfo m_info;
    int m_counter = 0;
};

// The local time now as a date-time value.
core::DateTime LocalNow();

// Lower case of ASCII and of the Latin, Greek and Cyrillic capitals (no locale involved, so
// the header is the same on every machine); other characters are kept.
std::string LowerCaseText(std::string_view text);

} // namespace camlog::scenes
