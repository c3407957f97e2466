// The listing mode, `camlog PATH...`: videos with their datecode, timecode and format, and the
// scenes of DV videos.
#include "app/listing/video_listing.h"

#include "core/avi_fichier.h"
#include "core/format.h"
#include "core/friendly_params.h"
#include "core/video_file_name.h"
#include "media/decoding/avi_probe.h"
#include "media/reading/datecode_scan.h"
#include "media/reading/dv_frame_reader.h"
#include "prefs/current_settings.h"
#include "prefs/prefs_environment.h"
#include "scenes/dv_scene_detect.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace camlog::app {

namespace fs = std::filesystem;

namespace {

std::string formatDatecode(const scenes::FrameRecord &r, const std::string &pattern)
{
    if (!r.datecodeValid)
        return "-";
    return core::FormatDateTimePattern(pattern, r.datecode).value_or("N/A");
}

// The file as the list shows it, then its scenes: a scan of the datecodes of every frame.
bool listVideo(const fs::path &path, bool withScenes, const core::AviFileContext &context)
{
    const auto file = core::TaviFichier::Create(path.string(), context);
    if (!file->Found) {
        std::fprintf(stderr, "camlog: '%s': no such file\n", path.c_str());
        return false;
    }
    const auto texts = core::MakePanelTexts(*file, context.datecodePattern);
    std::printf("%s\n", file->FullPath.c_str());
    if (file->DatecodeKey == core::kKeyUnreadable) {
        std::printf("  not a readable video\n");
        return true;
    }
    std::printf("  datecode %s, timecode %s\n", texts.Datecode.c_str(), texts.Timecode.c_str());
    std::printf("  codec %s, %s, %s, %s fps\n", texts.Codec.c_str(), texts.Image.c_str(), texts.Duration.c_str(),
                texts.Fps.empty() ? "-" : texts.Fps.c_str());
    std::printf("  audio %s%s%s\n", texts.Audio1.c_str(), texts.Audio2.empty() ? "" : ", ", texts.Audio2.c_str());
    if (file->HasScn || file->HasSrt)
        std::printf("  beside it:%s%s\n", file->HasScn ? " scn" : "", file->HasSrt ? " srt" : "");
    if (!withScenes || !file->IsDV)
        return true;

    auto opened = media::DvFrameReader::open(path);
    if (!opened) {
        std::fprintf(stderr, "camlog: %s\n", opened.error().message.c_str());
        return false;
    }
    std::vector<std::pair<scenes::FrameRecord, std::int32_t>> found;
    scenes::Tdv_sceneDetect detector;
    detector.OnScene = [&](const scenes::FrameRecord &start, const scenes::FrameRecord &current) {
        found.emplace_back(start, current.frameNumber);
    };
    media::ScanDatecodes(*opened.value(), detector);
    const double rate = file->FrameRate > 0 ? file->FrameRate : 25.0;
    for (std::size_t i = 0; i < found.size(); ++i) {
        const auto &[start, end] = found[i];
        std::printf("  scene %zu: %s - %s, %d frames, datecode %s\n", i + 1,
                    core::FormatFramePosition(static_cast<std::uint32_t>(start.frameNumber), rate).c_str(),
                    core::FormatFramePosition(static_cast<std::uint32_t>(end), rate).c_str(), end - start.frameNumber,
                    formatDatecode(start, context.datecodePattern).c_str());
    }
    return true;
}

} // namespace

int RunVideoListing(bool withScenes, std::span<const std::string> paths)
{
    const auto settings = prefs::LoadPreferencesAtStart(prefs::PrefsEnvironment::current(), {});
    const media::AviProber prober;
    core::AviFileContext context;
    context.prober = &prober;
    context.datecodePattern = settings.formatAfficherDatecode;

    bool allRead = true;
    for (const fs::path path : paths) {
        std::error_code ec;
        if (fs::is_directory(path, ec)) {
            std::vector<fs::path> videos;
            for (const auto &entry : fs::directory_iterator(path, ec))
                if (entry.is_regular_file(ec) && core::IsVideoFileName(entry.path().filename().string()))
                    videos.push_back(entry.path());
            if (ec) {
                std::fprintf(stderr, "camlog: %s: %s\n", path.c_str(), ec.message().c_str());
                allRead = false;
            }
            std::sort(videos.begin(), videos.end());
            for (const auto &video : videos)
                allRead = listVideo(video, withScenes, context) && allRead;
        } else {
            allRead = listVideo(path, withScenes, context) && allRead;
        }
    }
    return allRead ? 0 : 1;
}

} // namespace camlog::app
