// camlog: lists DV videos with their datecode and the scenes found by the recording dates.
#include "core/avi_fichier.h"
#include "core/format.h"
#include "core/friendly_params.h"
#include "media/avi_probe.h"
#include "media/datecode_scan.h"
#include "media/dv_frame_reader.h"
#include "prefs/current_settings.h"
#include "prefs/prefs_environment.h"
#include "scenes/dv_scene_detect.h"

#include <clocale>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;
using namespace camlog;

namespace {

constexpr std::string_view kUsage =
    "Usage: camlog [--scenes] PATH...\n"
    "\n"
    "Lists videos (DV AVI type 1 and type 2, OpenDML, raw .dv/.dif, other AVI files) with\n"
    "the recording date and time (datecode) and the timecode of their first frame, their\n"
    "codec, picture, duration and audio, and the scenes of DV videos, which begin at every\n"
    "new recording. PATH is a video file or a folder (its videos are listed, not those of\n"
    "its subfolders). Datecodes are shown in the display format of Camlog's settings.\n"
    "\n"
    "Options:\n"
    "  --scenes     also list the scenes of every video (the default)\n"
    "  --no-scenes  list the videos only (reads the headers and the first frame of each)\n"
    "  -h, --help   show this help\n"
    "  --version    show the version\n"
    "\n"
    "Exit status: 0 when every video was read, 1 when a file could not be read, 2 on bad usage.\n";

bool isVideoName(const fs::path &path)
{
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".avi" || ext == ".dv" || ext == ".dif";
}

std::string formatDatecode(const scenes::FrameRecord &r, const std::string &pattern)
{
    if (!r.datecodeValid)
        return "-";
    return core::FormatDateTimePattern(pattern, r.datecode).value_or("N/A");
}

// The file as the list shows it, then its scenes: a scan of the datecodes of every frame.
bool listVideo(const fs::path &path, bool withScenes, const core::FichierContext &context)
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
                    core::FormatFramePosition(static_cast<std::uint32_t>(end), rate).c_str(),
                    end - start.frameNumber, formatDatecode(start, context.datecodePattern).c_str());
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    bool withScenes = true;
    std::vector<fs::path> paths;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            std::fputs(kUsage.data(), stdout);
            return 0;
        }
        if (arg == "--version") {
            std::puts("camlog " CAMLOG_VERSION);
            return 0;
        }
        if (arg == "--scenes")
            withScenes = true;
        else if (arg == "--no-scenes")
            withScenes = false;
        else if (arg.starts_with("-") && arg.size() > 1) {
            std::fprintf(stderr, "camlog: unknown option '%s'\n%s", argv[i], kUsage.data());
            return 2;
        } else
            paths.emplace_back(arg);
    }
    if (paths.empty()) {
        std::fputs(kUsage.data(), stderr);
        return 2;
    }

    std::setlocale(LC_ALL, "");
    const auto settings = prefs::LoadPreferencesAtStart(prefs::PrefsEnvironment::current(), {});
    const media::AviProber prober;
    core::FichierContext context;
    context.prober = &prober;
    context.datecodePattern = settings.formatAfficherDatecode;

    bool allRead = true;
    for (const auto &path : paths) {
        std::error_code ec;
        if (fs::is_directory(path, ec)) {
            std::vector<fs::path> videos;
            for (const auto &entry : fs::directory_iterator(path, ec))
                if (entry.is_regular_file(ec) && isVideoName(entry.path()))
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
