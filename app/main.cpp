// camlog: lists DV videos with their datecode and the scenes found by the recording dates.
#include "core/dv_frame.h"
#include "media/datecode_scan.h"
#include "media/dv_frame_reader.h"
#include "scenes/dv_scene_detect.h"

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
    "Lists DV videos (DV AVI type 1 and type 2, OpenDML, raw .dv/.dif) with the recording\n"
    "date and time (datecode) and the timecode of their first frame, and the scenes that\n"
    "begin at every new recording. PATH is a video file or a folder (its videos are listed,\n"
    "not those of its subfolders).\n"
    "\n"
    "Options:\n"
    "  --scenes     also list the scenes of every video (the default)\n"
    "  --no-scenes  list the videos only (reads the first frame of each)\n"
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

std::string formatDatecode(const scenes::FrameRecord &r)
{
    if (!r.datecodeValid)
        return "-";
    const auto f = r.datecode.fields();
    if (!f)
        return "N/A";
    char text[32];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d %02d:%02d:%02d", f->year, f->month, f->day, f->hour, f->minute,
                  f->second);
    return text;
}

std::string formatTimecode(const scenes::FrameRecord &r)
{
    if (!r.timecodeValid)
        return "-";
    char text[24];
    std::snprintf(text, sizeof text, "%02d.%02d.%02d.%02d", r.timecode.hours, r.timecode.minutes, r.timecode.seconds,
                  r.timecode.frames);
    return text;
}

std::string describeKind(const media::DvFrameReader &reader)
{
    if (reader.container() == media::ContainerKind::RawDv)
        return "raw DV";
    const auto &stream = reader.streams()[static_cast<std::size_t>(reader.dvStream())];
    return stream.type == core::fcc::iavs ? "DV type 1" : "DV type 2";
}

std::string describeFormat(const scenes::FrameRecord &r)
{
    std::string text = r.ntsc ? "NTSC" : "PAL";
    text += r.widePicture ? " 16:9" : " 4:3";
    if (r.audioRate > 0)
        text += " " + std::to_string(r.audioRate) + " Hz " + std::to_string(r.audioBits) + "-bit";
    return text;
}

bool listVideo(const fs::path &path, bool withScenes)
{
    auto opened = media::DvFrameReader::open(path);
    if (!opened) {
        std::fprintf(stderr, "camlog: %s\n", opened.error().message.c_str());
        return false;
    }
    auto &reader = *opened.value();

    struct Scene {
        scenes::FrameRecord start;
        std::int32_t end;
    };
    std::vector<Scene> found;
    scenes::Tdv_sceneDetect detector;
    detector.OnScene = [&](const scenes::FrameRecord &start, const scenes::FrameRecord &current) {
        found.push_back({start, current.frameNumber});
    };
    if (withScenes) {
        media::ScanDatecodes(reader, detector);
    } else if (reader.frameCount() > 0) {
        std::vector<std::uint8_t> frame;
        if (reader.readFrame(0, frame)) {
            detector.StartStreaming();
            detector.Receive(frame);
            detector.Stop();
        }
    }

    const auto first = found.empty() ? scenes::FrameRecord{} : found.front().start;
    std::printf("%s\n  %s, %zu frames, %s, datecode %s, timecode %s\n", path.c_str(), describeKind(reader).c_str(),
                reader.frameCount(), found.empty() ? "-" : describeFormat(first).c_str(),
                formatDatecode(first).c_str(), formatTimecode(first).c_str());
    if (withScenes) {
        for (std::size_t i = 0; i < found.size(); ++i)
            std::printf("  scene %zu: frames %d-%d, %d frames, datecode %s\n", i + 1, found[i].start.frameNumber,
                        found[i].end - 1, found[i].end - found[i].start.frameNumber,
                        formatDatecode(found[i].start).c_str());
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
                allRead = listVideo(video, withScenes) && allRead;
        } else {
            allRead = listVideo(path, withScenes) && allRead;
        }
    }
    return allRead ? 0 : 1;
}
