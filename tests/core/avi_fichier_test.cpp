// The file object: name parts, directory facts, sort keys, and the fields built from a probe result.
#include "core/avi_fichier.h"

#include "support/riff_builder.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace {

using camlog::core::AviFileContext;
using camlog::core::DateTime;
using camlog::core::DateTimeLocale;
using camlog::core::FourCC;
using camlog::core::MediaProber;
using camlog::core::ProbeResult;
using camlog::core::TAbstractListFichier;
using camlog::core::TaviFichier;
using camlog::core::TSRFichier;
namespace core = camlog::core;
namespace test = camlog::test;
namespace fs = std::filesystem;

const std::string kNotLearned = "\xC3\xBE";
const std::string kUnreadable = "\xC3\xBF";

// Answers every probe with one prepared result and counts the calls.
class FakeProber : public MediaProber {
public:
    FakeProber(bool ok, ProbeResult result) : m_ok(ok), m_result(result) {}
    bool Probe(const std::string &, ProbeResult &result) const override
    {
        ++calls;
        result = m_result;
        return m_ok;
    }
    mutable std::atomic<int> calls{0};

private:
    bool m_ok;
    ProbeResult m_result;
};

DateTime at(int y, int mo, int d, int h, int mi, int s)
{
    return *DateTime::fromFields({y, mo, d, h, mi, s, 0});
}

core::WaveFormatEx pcm(std::uint32_t rate, std::uint16_t channels)
{
    core::WaveFormatEx w;
    w.wFormatTag = 1;
    w.nChannels = channels;
    w.nSamplesPerSec = rate;
    w.wBitsPerSample = 16;
    w.nBlockAlign = static_cast<std::uint16_t>(channels * 2);
    w.nAvgBytesPerSec = rate * w.nBlockAlign;
    return w;
}

// A DV result as a type 1 PAL file of 125 frames with a datecode would give it.
ProbeResult dvPal()
{
    ProbeResult r;
    r.VideoFound = true;
    r.Width = 720;
    r.Height = 576;
    r.AvgTimePerFrame = 400000;
    r.Compression = core::fcc::dvsd;
    r.VideoDuration = 125 * 400000LL;
    r.AudioFound = true;
    r.Wave = pcm(48000, 2);
    r.AudioDuration = r.VideoDuration;
    r.InterleavedFound = true;
    r.Info.dwDVVAuxSrc = 0x00200000;
    r.StreamCount = 1;
    r.DvFound = true;
    r.DatecodeFound = true;
    r.Datecode = at(2024, 5, 1, 10, 0, 0);
    r.TimecodeFound = true;
    r.Timecode = {0, 1, 2, 3};
    return r;
}

ProbeResult dvNtscType2()
{
    ProbeResult r = dvPal();
    r.Height = 480;
    r.AvgTimePerFrame = 333667;
    r.VideoDuration = 29 * 333667LL;
    r.AudioDuration = 9676333;
    r.InterleavedFound = false;
    r.Info = {};
    r.StreamCount = 2;
    r.Datecode = at(2000, 12, 31, 23, 59, 58);
    return r;
}

ProbeResult nonDv()
{
    ProbeResult r;
    r.VideoFound = true;
    r.Width = 320;
    r.Height = 240;
    r.AvgTimePerFrame = 400000;
    r.Compression = FourCC::fromString("FMP4");
    r.VideoDuration = 20000000;
    r.AudioFound = true;
    r.Wave = pcm(44100, 1);
    r.AudioDuration = 20000000;
    r.StreamCount = 2;
    return r;
}

// A small valid AVI whose video handler is `handler`.
fs::path writeAvi(const fs::path &dir, const std::string &name, const std::string &handler = "dvsd")
{
    const fs::path path = dir / name;
    test::writeBytes(path, test::aviFile({test::streamList("iavs", handler)}));
    return path;
}

AviFileContext context(const MediaProber &prober)
{
    static const DateTimeLocale locale = DateTimeLocale::fallback();
    AviFileContext c;
    c.prober = &prober;
    c.datecodePattern = "yyyy-mm-dd hh:nn:ss";
    c.locale = &locale;
    return c;
}

TEST(TAbstractListFichier, NameParts)
{
    struct Case {
        std::string path, fileName, extension, folder, baseName;
    };
    const Case cases[] = {
        {"/video/2024/Clip One.AVI", "Clip One.AVI", ".AVI", "/video/2024/", "Clip One"},
        {"/video/holiday.v2/noext", "noext", "", "/video/holiday.v2/", "noext"},
        {"/video/archive.tar.avi", "archive.tar.avi", ".avi", "/video/", "archive.tar"},
        {"/video/.hidden", ".hidden", ".hidden", "/video/", ""},
        {"clip.avi", "clip.avi", ".avi", "", "clip"},
        {"/clip.", "clip.", ".", "/", "clip"},
    };
    for (const auto &c : cases) {
        const TAbstractListFichier f(c.path);
        EXPECT_EQ(f.FullPath, c.path);
        EXPECT_EQ(f.FileName, c.fileName) << c.path;
        EXPECT_EQ(f.Extension, c.extension) << c.path;
        EXPECT_EQ(f.Folder, c.folder) << c.path;
        EXPECT_EQ(f.BaseName, c.baseName) << c.path;
    }
}

TEST(TAbstractListFichier, KeysAreLowerCaseAndSetPathRecomputesThem)
{
    TAbstractListFichier f("/Films/ÉTÉ/Clip.AVI");
    EXPECT_EQ(f.AlphaKey, "clip.avi/films/été/clip.avi");
    EXPECT_EQ(f.ExtensionKey, ".avi/films/été/clip.avi");
    EXPECT_EQ(f.PathKey, "/films/été/clip.avi");
    f.SetPath("/Films/Zebra.dv");
    EXPECT_EQ(f.FileName, "Zebra.dv");
    EXPECT_EQ(f.AlphaKey, "zebra.dv/films/zebra.dv");
    EXPECT_EQ(f.GetSortKey("alpha"), f.AlphaKey);
    EXPECT_EQ(f.GetSortKey("extension"), f.ExtensionKey);
    EXPECT_EQ(f.GetSortKey("chemin"), f.PathKey);
    EXPECT_EQ(f.GetSortKey("taille"), "");
    EXPECT_EQ(f.GetSortKey("nonsense"), "");
}

TEST(SortIndexes, EightKeyWordsEachAnsweredByTheFileObject)
{
    const auto dir = test::scratchDir("SortIndexesAnswered");
    const FakeProber prober(true, dvPal());
    const TaviFichier f(writeAvi(dir, "a.avi").string(), context(prober));
    ASSERT_EQ(core::kSortIndexes.size(), 8u);
    for (const auto &index : core::kSortIndexes) {
        EXPECT_FALSE(index.MenuCaption.empty());
        EXPECT_FALSE(index.StatusText.empty());
        EXPECT_FALSE(f.GetSortKey(index.KeyWord).empty()) << index.KeyWord;
    }
    EXPECT_EQ(core::kSortIndexes[6].StatusText, "Sort by timecode");
    EXPECT_EQ(f.GetSortKey("datecode"), f.DatecodeSortKey);
    EXPECT_EQ(f.GetSortKey("timecode"), f.TimecodeSortKey);
    EXPECT_EQ(f.GetSortKey("duree"), f.DurationSortKey);
    EXPECT_EQ(f.GetSortKey("taille"), f.SizeKey);
    EXPECT_EQ(f.GetSortKey("modify"), f.ModifiedKey);
    EXPECT_EQ(f.GetSortKey("Datecode"), "");
}

TEST(TSRFichier, SizeTimesAndReadOnly)
{
    const auto dir = test::scratchDir("TSRFichierFacts");
    const fs::path path = dir / "Clip.avi";
    test::writeBytes(path, std::vector<std::uint8_t>(1234, 0));
    // 2023-06-15 12:34:56 local time as the modification time.
    struct tm local {};
    local.tm_year = 123;
    local.tm_mon = 5;
    local.tm_mday = 15;
    local.tm_hour = 12;
    local.tm_min = 34;
    local.tm_sec = 56;
    local.tm_isdst = -1;
    const timespec times[2] = {{mktime(&local), 0}, {mktime(&local), 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read);

    const TSRFichier f(path.string());
    EXPECT_TRUE(f.Found);
    EXPECT_EQ(f.FileSize(), 1234u);
    EXPECT_EQ(f.SizeHigh, 0u);
    EXPECT_EQ(f.SizeLow, 1234u);
    EXPECT_EQ(f.Modified, at(2023, 6, 15, 12, 34, 56));
    EXPECT_EQ(f.Accessed, at(2023, 6, 15, 12, 34, 56));
    // Birth time where the file system keeps it (just now), else the modification time.
    const double now = (std::time(nullptr) / 86400.0) + 25569.0;
    EXPECT_TRUE(f.Created == f.Modified || std::abs(f.Created.days() - now) < 1.0) << f.Created.days();
    EXPECT_TRUE(f.ReadOnly);
    EXPECT_EQ(f.Attributes & core::attr::kReadOnly, core::attr::kReadOnly);
    EXPECT_EQ(f.PathKey.substr(f.PathKey.size() - 9), "/clip.avi");
    EXPECT_EQ(f.SizeKey, "000000000000000000000000000004d2" + f.PathKey);
    EXPECT_EQ(f.ModifiedKey, "20230615123456" + f.PathKey);
    fs::permissions(path, fs::perms::owner_all);
    EXPECT_FALSE(TSRFichier(path.string()).ReadOnly);
}

TEST(TSRFichier, SizeKeySortsFiveGibibytesAfterSmallFiles)
{
    core::TSearchRec big;
    big.Name = "big.avi";
    big.Size = 5ULL << 30;
    core::TSearchRec small = big;
    small.Name = "small.avi";
    small.Size = 4000000000ULL;
    const TSRFichier a("/v/", big);
    const TSRFichier b("/v/", small);
    EXPECT_EQ(a.SizeHigh, 1u);
    EXPECT_EQ(a.SizeLow, 0x40000000u);
    EXPECT_EQ(a.FileSize(), 5ULL << 30);
    EXPECT_LT(b.SizeKey, a.SizeKey);
    EXPECT_EQ(a.FullPath, "/v/big.avi");
}

TEST(TaviFichier, MissingFileStaysEmptyAndIsNotProbed)
{
    const FakeProber prober(true, dvPal());
    const TaviFichier f("/nonexistent/folder/clip.avi", context(prober));
    EXPECT_FALSE(f.Found);
    EXPECT_EQ(prober.calls, 0);
    EXPECT_EQ(f.FileName, "clip.avi");
    EXPECT_EQ(f.DatecodeText, "");
    EXPECT_EQ(f.TimecodeText, "");
    EXPECT_EQ(f.FileSize(), 0u);
    EXPECT_FALSE(f.IsDV);
}

// One case per kind of file: the probe result and the fields it must give.
struct FieldCase {
    const char *name;
    bool probeOk;
    ProbeResult probe;
    std::string handler; // "" writes a file that is not an AVI
    std::uint32_t fileType;
    bool type2Iavs;
    int system;
    std::string sizeText, aspectText, datecodeText, datecodeKey, timecodeText, codec, audioText;
    double frameRate;
    std::uint32_t frameCount, displayHeight;
};

std::vector<FieldCase> fieldCases()
{
    std::vector<FieldCase> cases;
    cases.push_back({"type 1 PAL", true, dvPal(), "dvsd", 1, false, 0, "720 x 576 (Pal", " 4x3)", "2024-05-01 10:00:00",
                     "20240501100000", "00.01.02.03", "dvsd", "48000Hz 16 bits  stereo", 25.0, 125, 540});

    auto wide = dvPal();
    wide.FirstFrameWide = true;
    cases.push_back({"type 1 PAL 16:9", true, wide, "dvsd", 1, false, 0, "720 x 576 (Pal", " 16x9)",
                     "2024-05-01 10:00:00", "20240501100000", "00.01.02.03", "dvsd", "48000Hz 16 bits  stereo", 25.0,
                     125, 405});

    cases.push_back({"type 2 NTSC", true, dvNtscType2(), "dvsd", 2, false, 1, "720 x 480 (NTSC", " 4x3)",
                     "2000-12-31 23:59:58", "20001231235958", "00.01.02.03", "dvsd", "48000Hz 16 bits  stereo", 29.97,
                     29, 540});

    auto iavsAuds = dvPal();
    iavsAuds.StreamCount = 2;
    iavsAuds.Info.dwDVVAuxSrc = 0; // 60 Hz
    iavsAuds.Height = 480;
    iavsAuds.AvgTimePerFrame = 333667;
    cases.push_back({"iavs beside auds", true, iavsAuds, "dvsd", 2, true, 1, "720 x 480 (NTSC", " 4x3)",
                     "2024-05-01 10:00:00", "20240501100000", "00.01.02.03", "dvsd", "48000Hz 16 bits  stereo",
                     30000.0 / 1001.0, 150, 540});

    auto noDate = dvPal();
    noDate.DatecodeFound = false;
    noDate.Datecode = DateTime();
    cases.push_back({"DV without datecode", true, noDate, "dvsd", 1, false, 0, "720 x 576 (Pal", " 4x3)", "N/A", "N/A",
                     "00.01.02.03", "dvsd", "48000Hz 16 bits  stereo", 25.0, 125, 540});

    auto noTimecode = dvPal();
    noTimecode.TimecodeFound = false;
    cases.push_back({"DV without timecode", true, noTimecode, "dvsd", 1, false, 0, "720 x 576 (Pal", " 4x3)",
                     "2024-05-01 10:00:00", "20240501100000", "N/A", "dvsd", "48000Hz 16 bits  stereo", 25.0, 125,
                     540});

    auto k32 = dvPal();
    k32.Wave = pcm(32000, 2);
    cases.push_back({"DV 32 kHz", true, k32, "dvsd", 1, false, 0, "720 x 576 (Pal", " 4x3)", "2024-05-01 10:00:00",
                     "20240501100000", "00.01.02.03", "dvsd", "32000Hz 12(16) bits  stereo", 25.0, 125, 540});

    auto rawDv = dvPal();
    cases.push_back({"raw DV (no RIFF header)", true, rawDv, "", 1, false, 0, "720 x 576 (Pal", " 4x3)",
                     "2024-05-01 10:00:00", "20240501100000", "00.01.02.03", "dvsd", "48000Hz 16 bits  stereo", 25.0,
                     125, 540});

    auto oddHandler = dvNtscType2();
    oddHandler.Compression = FourCC::fromValue(0x00000000);
    cases.push_back({"unprintable compression keeps the handler", true, oddHandler, "CDVC", 2, false, 1,
                     "720 x 480 (NTSC", " 4x3)", "2000-12-31 23:59:58", "20001231235958", "00.01.02.03", "CDVC",
                     "48000Hz 16 bits  stereo", 29.97, 29, 540});

    cases.push_back({"non-DV AVI", true, nonDv(), "FMP4", 0, false, 2, "320 x 240", "", "-", kNotLearned, "-", "FMP4",
                     "44100Hz 16 bits  mono", 25.0, 50, 240});

    auto audioOnly = nonDv();
    audioOnly.VideoFound = false;
    cases.push_back({"audio only", true, audioOnly, "FMP4", 0, false, 2, "N/A", "", "-", kNotLearned, "-", "",
                     "44100Hz 16 bits  mono", 0.0, 0, 0});

    cases.push_back({"nothing found", true, ProbeResult(), "FMP4", 0, false, 2, "N/A", "", "-", kUnreadable, "-", "",
                     "N/A", 0.0, 0, 0});

    cases.push_back({"probe failed", false, ProbeResult(), "dvsd", 0, false, 2, "N/A", "", "", kUnreadable, "", "",
                     "N/A", 0.0, 0, 0});

    // A failed probe leaves whatever it had filled unused.
    cases.push_back({"probe failed after filling", false, dvPal(), "dvsd", 0, false, 2, "N/A", "", "", kUnreadable, "",
                     "", "N/A", 0.0, 0, 0});
    return cases;
}

TEST(TaviFichier, FieldsFromTheProbe)
{
    const auto dir = test::scratchDir("TaviFichierFields");
    int n = 0;
    for (const auto &c : fieldCases()) {
        const std::string name = "f" + std::to_string(n++) + ".avi";
        fs::path path;
        if (c.handler.empty()) {
            path = dir / name;
            test::writeBytes(path, std::vector<std::uint8_t>(100, 0x1F));
        } else {
            path = writeAvi(dir, name, c.handler);
        }
        const FakeProber prober(c.probeOk, c.probe);
        const TaviFichier f(path.string(), context(prober));
        SCOPED_TRACE(c.name);
        EXPECT_EQ(prober.calls, 1);
        EXPECT_EQ(f.IsDV, c.probeOk && c.probe.DvFound);
        EXPECT_EQ(f.FileType, c.fileType);
        EXPECT_EQ(f.Type2Iavs, c.type2Iavs);
        EXPECT_EQ(f.System, c.system);
        EXPECT_EQ(f.SizeText, c.sizeText);
        EXPECT_EQ(f.AspectText, c.aspectText);
        EXPECT_EQ(f.DatecodeText, c.datecodeText);
        EXPECT_EQ(f.DatecodeKey, c.datecodeKey);
        EXPECT_EQ(f.TimecodeText, c.timecodeText);
        EXPECT_EQ(f.Codec, c.codec);
        EXPECT_EQ(f.AudioText, c.audioText);
        EXPECT_EQ(f.FrameRate, c.frameRate);
        EXPECT_EQ(f.FrameCount, c.frameCount);
        EXPECT_EQ(f.DisplayHeight, c.displayHeight);
        EXPECT_EQ(f.DatecodeSortKey, f.DatecodeKey + f.AlphaKey);
        EXPECT_EQ(f.TimecodeSortKey, f.TimecodeText + f.AlphaKey);
        // The typed fields the decisions read, beside the texts that show them.
        const bool probed = c.probeOk;
        EXPECT_EQ(f.HasPicture, probed && c.probe.VideoFound);
        EXPECT_EQ(f.HasAudio, probed && c.probe.AudioFound);
        EXPECT_EQ(f.DatecodeFound, probed && c.probe.DvFound && c.datecodeText != "N/A");
        EXPECT_EQ(f.TimecodeFound, probed && c.probe.DvFound && c.probe.TimecodeFound);
    }
}

TEST(TaviFichier, DurationsAndAudioTexts)
{
    const auto dir = test::scratchDir("TaviFichierDurations");
    const auto path = writeAvi(dir, "clip.avi");
    {
        const FakeProber prober(true, dvPal());
        const TaviFichier f(path.string(), context(prober));
        EXPECT_EQ(f.Duration, 50000000);
        EXPECT_EQ(f.DurationText, "5s 00fr");
        EXPECT_EQ(f.AudioDurationText, "5s 00fr");
        EXPECT_EQ(f.AudioFormatText, "PCM 192000 bytes/s");
        EXPECT_EQ(f.DurationSortKey, "000050000000" + f.AlphaKey);
        EXPECT_EQ(f.SampleRate, 48000u);
        EXPECT_EQ(f.BitsPerSample, 16u);
        EXPECT_EQ(f.Width, 720u);
    }
    {
        // The audio stream of a type 2 NTSC file ends a fraction of a frame early.
        const FakeProber prober(true, dvNtscType2());
        const TaviFichier f(path.string(), context(prober));
        EXPECT_EQ(f.DurationText, "29fr");
        EXPECT_EQ(f.AudioDurationText, "28fr");
    }
    {
        auto probe = nonDv();
        probe.AvgTimePerFrame = 0; // a header that gives no frame length
        const FakeProber prober(true, probe);
        const TaviFichier f(path.string(), context(prober));
        EXPECT_EQ(f.FrameRate, 0.0);
        EXPECT_EQ(f.FrameCount, 0u);
        EXPECT_EQ(f.DurationText, "2s 000ms");
        EXPECT_EQ(f.AudioDurationText, "2s 000ms");
    }
}

TEST(TaviFichier, ChannelTexts)
{
    const auto dir = test::scratchDir("TaviFichierChannels");
    const auto path = writeAvi(dir, "clip.avi", "FMP4");
    const std::pair<std::uint16_t, std::string> cases[] = {
        {0, "no channel"}, {1, " mono"}, {2, " stereo"}, {6, " stereo (6)"}};
    for (const auto &[channels, text] : cases) {
        auto probe = nonDv();
        probe.Wave.nChannels = channels;
        const FakeProber prober(true, probe);
        const TaviFichier f(path.string(), context(prober));
        EXPECT_EQ(f.ChannelText, text);
        EXPECT_EQ(f.AudioText, "44100Hz 16 bits " + text);
    }
}

TEST(TaviFichier, DatecodeOutsideTheCalendarIsNotAvailable)
{
    const auto dir = test::scratchDir("TaviFichierOutside");
    auto probe = dvPal();
    probe.Datecode = DateTime::fromDays(-800000.0); // before year 1
    const FakeProber prober(true, probe);
    const TaviFichier f(writeAvi(dir, "clip.avi").string(), context(prober));
    EXPECT_EQ(f.DatecodeText, "N/A");
    EXPECT_EQ(f.DatecodeKey, "N/A");
}

TEST(TaviFichier, CompanionFiles)
{
    const auto dir = test::scratchDir("TaviFichierCompanions");
    const FakeProber prober(true, dvPal());
    const auto video = writeAvi(dir, "clip.avi");
    test::writeBytes(dir / "clip.scn", {1});
    test::writeBytes(dir / "other.avi.srt", {1}); // not beside clip.avi's name
    const TaviFichier f(video.string(), context(prober));
    EXPECT_TRUE(f.HasScn);
    EXPECT_FALSE(f.HasSrt);
    test::writeBytes(dir / "clip.srt", {1});
    fs::remove(dir / "clip.scn");
    const TaviFichier g(video.string(), context(prober));
    EXPECT_FALSE(g.HasScn);
    EXPECT_TRUE(g.HasSrt);
}

TEST(TaviFichier, UnreadableFilesNeverCrash)
{
    const auto dir = test::scratchDir("TaviFichierUnreadable");
    test::writeBytes(dir / "empty.avi", {});
    test::writeBytes(dir / "garbage.avi", std::vector<std::uint8_t>(5000, 0xA5));
    auto truncated = test::aviFile({test::streamList("vids", "dvsd")});
    truncated.resize(60);
    test::writeBytes(dir / "truncated.avi", truncated);
    fs::create_directory(dir / "folder.avi");
    const FakeProber prober(false, ProbeResult());
    for (const char *name : {"empty.avi", "garbage.avi", "truncated.avi", "folder.avi"}) {
        const TaviFichier f((dir / name).string(), context(prober));
        SCOPED_TRACE(name);
        EXPECT_TRUE(f.Found);
        EXPECT_EQ(f.DatecodeKey, kUnreadable);
        EXPECT_EQ(f.DatecodeText, "");
        EXPECT_EQ(f.TimecodeText, "");
        EXPECT_EQ(f.Codec, "");
        EXPECT_FALSE(f.IsDV);
    }
    EXPECT_EQ(TaviFichier((dir / "folder.avi").string(), context(prober)).Attributes & core::attr::kDirectory,
              core::attr::kDirectory);
}

TEST(TaviFichier, DatecodeOrderPutsUnknownAndUnreadableLast)
{
    const auto dir = test::scratchDir("TaviFichierOrder");
    auto later = dvPal();
    later.Datecode = at(2024, 5, 2, 8, 0, 0);
    auto noDate = dvPal();
    noDate.DatecodeFound = false;
    struct Entry {
        std::string name;
        bool ok;
        ProbeResult probe;
    };
    const Entry entries[] = {{"a_unreadable.avi", false, ProbeResult()},
                             {"b_nondv.avi", true, nonDv()},
                             {"c_nodate.avi", true, noDate},
                             {"d_later.avi", true, later},
                             {"e_earlier.avi", true, dvPal()}};
    std::vector<std::pair<std::string, std::string>> keys;
    for (const auto &e : entries) {
        const FakeProber prober(e.ok, e.probe);
        const TaviFichier f(writeAvi(dir, e.name).string(), context(prober));
        keys.emplace_back(f.GetSortKey("datecode"), e.name);
    }
    std::sort(keys.begin(), keys.end());
    std::vector<std::string> order;
    for (const auto &k : keys)
        order.push_back(k.second);
    EXPECT_EQ(order, (std::vector<std::string>{"e_earlier.avi", "d_later.avi", "c_nodate.avi", "b_nondv.avi",
                                               "a_unreadable.avi"}));
}

TEST(TaviFichier, CreateFromSearchUsesTheRecordsName)
{
    const auto dir = test::scratchDir("TaviFichierFromSearch");
    const auto path = writeAvi(dir, "clip.avi");
    core::TSearchRec rec;
    ASSERT_TRUE(core::FindFile(path.string(), rec));
    EXPECT_EQ(rec.Name, "clip.avi");
    const FakeProber prober(true, dvPal());
    const auto f = TaviFichier::CreateFromSearch(dir.string() + "/", rec, context(prober));
    EXPECT_EQ(f->FullPath, path.string());
    EXPECT_EQ(f->DatecodeText, "2024-05-01 10:00:00");
    const core::TAfficherFichier reloaded(path.string(), context(prober));
    EXPECT_EQ(reloaded.DatecodeSortKey, f->DatecodeSortKey);
}

// Objects are built on the list's opening thread and the main thread at once.
TEST(TaviFichier, BuiltOnSeveralThreadsAtOnce)
{
    const auto dir = test::scratchDir("TaviFichierThreads");
    const auto path = writeAvi(dir, "clip.avi");
    const FakeProber prober(true, dvPal());
    const AviFileContext ctx = context(prober);
    const TaviFichier reference(path.string(), ctx);
    std::atomic<int> mismatches{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 6; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 20; ++i) {
                const TaviFichier f(path.string(), ctx);
                if (f.DatecodeSortKey != reference.DatecodeSortKey || f.SizeText != reference.SizeText)
                    ++mismatches;
            }
        });
    }
    for (auto &t : threads)
        t.join();
    EXPECT_EQ(mismatches, 0);
}

} // namespace
