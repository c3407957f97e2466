// DV AVI files written by DvAviWriter, read back by our reader, ffprobe and mediainfo.
#include "media/writing/dv_avi_writer.h"

#include "core/avi_fichier.h"
#include "core/avi_param.h"
#include "media/decoding/avi_probe.h"
#include "media/reading/dv_frame_reader.h"
#include "support/test_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace camlog::media {
namespace {

using test::fixturePath;
using test::runCommand;
using test::scratchDir;
using Bytes = std::vector<std::uint8_t>;

// ---------------------------------------------------------------------------------------
// Sources: the DV frames of a raw tape and its audio as 16-bit PCM, cut per frame.

struct Tape {
    std::filesystem::path path;
    std::vector<Bytes> frames;
    DvAviFormat format;
    Bytes pcm; // the whole audio of the tape, stereo 16-bit at the format's rate
};

Tape loadTape(const std::string &name, DvAviType type)
{
    Tape tape;
    tape.path = fixturePath(name);
    auto reader = DvFrameReader::open(tape.path);
    if (!reader)
        throw std::runtime_error("cannot open " + name);
    for (std::size_t i = 0; i < reader.value()->frameCount(); ++i) {
        Bytes frame;
        if (!reader.value()->readFrame(i, frame))
            throw std::runtime_error("cannot read " + name);
        tape.frames.push_back(std::move(frame));
    }
    tape.format = DvAviFormat::fromFrame(tape.frames.front(), type).value();
    if (type == DvAviType::Type2 && !tape.format.audio.empty()) {
        const auto pcm = runCommand("ffmpeg -nostdin -v error -i '" + tape.path.string() + "' -f s16le -ac 2 -");
        tape.pcm.assign(pcm.output.begin(), pcm.output.end());
    }
    return tape;
}

// The sample frames that belong to video frame i: the running total at the frame rate.
std::size_t samplesBefore(std::size_t frame, const DvAviFormat &format)
{
    const std::uint64_t rate = format.audio.empty() ? 0 : format.audio.front().sampleRate;
    return format.system == DvSystem::Pal ? frame * rate / 25 : frame * rate * 1001 / 30000;
}

Bytes pcmOfFrame(const Tape &tape, std::size_t frame)
{
    const std::size_t from = samplesBefore(frame, tape.format) * 4;
    const std::size_t to = samplesBefore(frame + 1, tape.format) * 4;
    Bytes pcm(to - from, 0);
    for (std::size_t i = from; i < to && i < tape.pcm.size(); ++i)
        pcm[i - from] = tape.pcm[i];
    return pcm;
}

// Writes frames [0, count) of the tape (cycling when count is larger), with their audio.
void writeTape(DvAviWriter &writer, const Tape &tape, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t f = i % tape.frames.size();
        ASSERT_TRUE(writer.writeFrame(tape.frames[f]));
        for (std::size_t a = 0; a < writer.format().audio.size(); ++a)
            ASSERT_TRUE(writer.writeAudio(pcmOfFrame(tape, f), a));
    }
}

std::unique_ptr<DvAviWriter> createWriter(const std::filesystem::path &path, const DvAviFormat &format)
{
    auto created = DvAviWriter::create(path, format);
    if (!created)
        throw std::runtime_error(created.error().message);
    return std::move(created.value());
}

// ---------------------------------------------------------------------------------------
// What the independent tools say.

struct Probe {
    std::string errors; // ffprobe's error output: empty for a sound file
    std::vector<std::map<std::string, std::string>> streams;
    double duration = 0;
};

Probe ffprobe(const std::filesystem::path &path)
{
    Probe probe;
    const std::string errors = path.string() + ".ffprobe-errors";
    const auto result = runCommand("ffprobe -v error -count_packets -show_entries "
                                   "stream=codec_type,codec_name,nb_read_packets,sample_rate,channels,"
                                   "display_aspect_ratio:format=duration -of default=nw=1 '"
                                   + path.string() + "' 2>'" + errors + "'");
    const Bytes errorBytes = test::readBytes(errors);
    probe.errors.assign(errorBytes.begin(), errorBytes.end());
    if (!result.ok && probe.errors.empty())
        probe.errors = "ffprobe failed";
    std::istringstream lines(result.output);
    for (std::string line; std::getline(lines, line);) {
        const auto eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string key = line.substr(0, eq), value = line.substr(eq + 1);
        if (key == "codec_name")
            probe.streams.emplace_back();
        if (key == "duration" && value != "N/A")
            probe.duration = std::stod(value);
        else if (!probe.streams.empty())
            probe.streams.back()[key] = value;
    }
    return probe;
}

const std::map<std::string, std::string> *streamOf(const Probe &probe, const std::string &type)
{
    for (const auto &s : probe.streams)
        if (s.count("codec_type") && s.at("codec_type") == type)
            return &s;
    return nullptr;
}

// mediainfo's frame count, format and display aspect of the video.
std::string mediainfoVideo(const std::filesystem::path &path)
{
    auto result = runCommand("mediainfo '--Inform=Video;%FrameCount%|%Format%|%DisplayAspectRatio/String%' '"
                             + path.string() + "' 2>&1");
    while (!result.output.empty() && (result.output.back() == '\n' || result.output.back() == '\r'))
        result.output.pop_back();
    return result.output;
}

// ---------------------------------------------------------------------------------------
// The file's own structure, walked here independently of the code under test.

std::uint32_t get32(const Bytes &b, std::size_t pos)
{
    return static_cast<std::uint32_t>(b[pos]) | static_cast<std::uint32_t>(b[pos + 1]) << 8
           | static_cast<std::uint32_t>(b[pos + 2]) << 16 | static_cast<std::uint32_t>(b[pos + 3]) << 24;
}

struct Layout {
    std::vector<std::string> riffTypes;
    std::vector<std::uint64_t> riffSizes;
    bool hasIdx1 = false;
    std::uint32_t dmlhTotal = 0;
};

// The top-level RIFFs and the dmlh total, read with plain seeks.
Layout readLayout(const std::filesystem::path &path)
{
    Layout layout;
    std::ifstream in(path, std::ios::binary);
    const std::uint64_t size = std::filesystem::file_size(path);
    std::uint64_t pos = 0;
    while (pos + 12 <= size) {
        Bytes head(12);
        in.seekg(static_cast<std::streamoff>(pos));
        in.read(reinterpret_cast<char *>(head.data()), 12);
        if (std::memcmp(head.data(), "RIFF", 4) != 0)
            break;
        const std::uint32_t riffSize = get32(head, 4);
        layout.riffTypes.emplace_back(reinterpret_cast<const char *>(&head[8]), 4);
        layout.riffSizes.push_back(riffSize);
        if (pos == 0) {
            // Chunks of the first RIFF: the header list (with dmlh) and idx1.
            std::uint64_t c = 12;
            while (c + 8 <= 8 + std::uint64_t{riffSize}) {
                Bytes ch(12);
                in.seekg(static_cast<std::streamoff>(c));
                in.read(reinterpret_cast<char *>(ch.data()), 12);
                const std::uint32_t chSize = get32(ch, 4);
                if (std::memcmp(ch.data(), "idx1", 4) == 0)
                    layout.hasIdx1 = true;
                if (std::memcmp(ch.data(), "LIST", 4) == 0 && std::memcmp(&ch[8], "hdrl", 4) == 0) {
                    Bytes hdrl(chSize + 8);
                    in.seekg(static_cast<std::streamoff>(c));
                    in.read(reinterpret_cast<char *>(hdrl.data()), static_cast<std::streamsize>(hdrl.size()));
                    const auto it = std::search(hdrl.begin(), hdrl.end(), "dmlh", "dmlh" + 4);
                    if (it != hdrl.end())
                        layout.dmlhTotal = get32(hdrl, static_cast<std::size_t>(it - hdrl.begin()) + 8);
                }
                c += 8 + chSize + (chSize & 1);
            }
        }
        pos += 8 + std::uint64_t{riffSize} + (riffSize & 1);
    }
    return layout;
}

// Every DV frame our reader finds equals the source frame; the audio of a type 2 file
// equals the PCM written.
void expectReadBack(const std::filesystem::path &path, const Tape &tape, std::size_t count)
{
    auto opened = DvFrameReader::open(path);
    ASSERT_TRUE(opened) << opened.error().message;
    DvFrameReader &reader = *opened.value();
    ASSERT_EQ(reader.frameCount(), count);
    Bytes frame;
    for (std::size_t i = 0; i < count; ++i) {
        ASSERT_TRUE(reader.readFrame(i, frame));
        ASSERT_EQ(frame, tape.frames[i % tape.frames.size()]) << "frame " << i;
    }
    if (tape.format.type != DvAviType::Type2 || tape.format.audio.empty())
        return;
    ASSERT_EQ(reader.streams().size(), 2u);
    EXPECT_EQ(reader.streams()[1].type, core::fcc::auds);
    Bytes audio, expected;
    for (const SampleEntry &s : reader.streams()[1].samples) {
        Bytes chunk(s.size);
        ASSERT_EQ(reader.readAt(s.offset, chunk), s.size);
        audio.insert(audio.end(), chunk.begin(), chunk.end());
    }
    for (std::size_t i = 0; i < count; ++i) {
        const Bytes pcm = pcmOfFrame(tape, i % tape.frames.size());
        expected.insert(expected.end(), pcm.begin(), pcm.end());
    }
    EXPECT_TRUE(audio == expected) << audio.size() << " audio bytes read, " << expected.size() << " written";
}

double frameRate(const DvAviFormat &format)
{
    return format.system == DvSystem::Pal ? 25.0 : 30000.0 / 1001.0;
}

void expectFfprobeReads(const std::filesystem::path &path, const Tape &tape, std::size_t count)
{
    const Probe probe = ffprobe(path);
    EXPECT_EQ(probe.errors, "");
    const auto *video = streamOf(probe, "video");
    ASSERT_NE(video, nullptr);
    EXPECT_EQ(video->at("codec_name"), "dvvideo");
    EXPECT_EQ(video->at("nb_read_packets"), std::to_string(count));
    EXPECT_EQ(video->at("display_aspect_ratio"), tape.format.wide ? "16:9" : "4:3");
    EXPECT_NEAR(probe.duration, static_cast<double>(count) / frameRate(tape.format), 0.05);
    if (tape.format.type == DvAviType::Type2 && !tape.format.audio.empty()) {
        const auto *audio = streamOf(probe, "audio");
        ASSERT_NE(audio, nullptr);
        EXPECT_EQ(audio->at("codec_name"), "pcm_s16le");
        EXPECT_EQ(audio->at("sample_rate"), std::to_string(tape.format.audio.front().sampleRate));
        EXPECT_EQ(audio->at("channels"), "2");
    }
}

// ---------------------------------------------------------------------------------------

struct WriteCase {
    const char *tape;
    DvAviType type;
};

class DvAviWriterRoundTrip : public ::testing::TestWithParam<WriteCase> {};

TEST_P(DvAviWriterRoundTrip, ReadBackByOurReaderFfprobeAndMediainfo)
{
    const Tape tape = loadTape(GetParam().tape, GetParam().type);
    const auto out = scratchDir("writer") / "out.avi";
    auto writer = createWriter(out, tape.format);
    writeTape(*writer, tape, tape.frames.size());
    EXPECT_EQ(writer->framesWritten(), tape.frames.size());
    ASSERT_TRUE(writer->finish());

    expectReadBack(out, tape, tape.frames.size());
    expectFfprobeReads(out, tape, tape.frames.size());
    EXPECT_EQ(mediainfoVideo(out), std::to_string(tape.frames.size()) + "|DV|" + (tape.format.wide ? "16:9" : "4:3"));

    // The headers as the program's own header walk reads them.
    const core::TAviParam param(out);
    ASSERT_TRUE(param.Valid());
    ASSERT_TRUE(param.mainHeader());
    EXPECT_EQ(param.mainHeader()->dwTotalFrames, tape.frames.size());
    const auto &streams = param.Streams();
    ASSERT_EQ(streams.size(), tape.format.type == DvAviType::Type1 ? 1u : 1u + tape.format.audio.size());
    EXPECT_EQ(streams[0].header.fccType, tape.format.type == DvAviType::Type1 ? core::fcc::iavs : core::fcc::vids);
    EXPECT_EQ(streams[0].header.fccHandler, core::fcc::dvsd);
    EXPECT_EQ(streams[0].header.dwLength, tape.frames.size());
    EXPECT_EQ(streams[0].header.dwSuggestedBufferSize, tape.format.frameSize());
    if (streams.size() > 1) {
        EXPECT_EQ(streams[1].header.dwLength, samplesBefore(tape.frames.size(), tape.format));
        std::size_t largest = 0;
        for (std::size_t i = 0; i < tape.frames.size(); ++i)
            largest = std::max(largest, pcmOfFrame(tape, i).size());
        EXPECT_EQ(streams[1].header.dwSuggestedBufferSize, largest);
    }
    const Layout layout = readLayout(out);
    EXPECT_EQ(layout.riffTypes, std::vector<std::string>{"AVI "});

    // The file object sees the type, system, aspect and length the tape had.
    static const AviProber prober;
    core::AviFileContext context;
    context.prober = &prober;
    const core::TaviFichier fichier(out.string(), context);
    EXPECT_TRUE(fichier.IsDV);
    EXPECT_EQ(fichier.FileType, tape.format.type == DvAviType::Type1 ? 1u : 2u);
    EXPECT_EQ(fichier.System, tape.format.system == DvSystem::Pal ? 0 : 1);
    EXPECT_EQ(fichier.Is16x9, tape.format.wide);
    EXPECT_EQ(fichier.FrameCount, tape.frames.size());
    if (!tape.format.audio.empty()) {
        EXPECT_EQ(fichier.SampleRate, tape.format.audio.front().sampleRate);
    }
    EXPECT_TRUE(layout.hasIdx1);
    EXPECT_EQ(layout.dmlhTotal, tape.frames.size());
}

INSTANTIATE_TEST_SUITE_P(
    Tapes, DvAviWriterRoundTrip,
    ::testing::Values(WriteCase{"pal_4x3_48k.dv", DvAviType::Type1}, WriteCase{"pal_4x3_48k.dv", DvAviType::Type2},
                      WriteCase{"pal_16x9_32k.dv", DvAviType::Type1}, WriteCase{"pal_16x9_32k.dv", DvAviType::Type2},
                      WriteCase{"ntsc_4x3_48k.dv", DvAviType::Type1}, WriteCase{"ntsc_4x3_48k.dv", DvAviType::Type2},
                      WriteCase{"ntsc_nodate.dv", DvAviType::Type1}, WriteCase{"ntsc_nodate.dv", DvAviType::Type2}),
    [](const auto &info) {
        std::string name = info.param.tape;
        name = name.substr(0, name.find('.'));
        return name + (info.param.type == DvAviType::Type1 ? "_type1" : "_type2");
    });

// ---------------------------------------------------------------------------------------
// OpenDML parts: a small RIFF limit forces many AVIX RIFFs on a short tape.

class DvAviWriterParts : public ::testing::TestWithParam<DvAviType> {};

TEST_P(DvAviWriterParts, EveryPartReadsToTheLastFrame)
{
    Tape tape = loadTape("tape_three.dv", GetParam());
    tape.format.riffSizeLimit = 1000 * 1000;
    const auto out = scratchDir("writer-parts") / "parts.avi";
    auto writer = createWriter(out, tape.format);
    writeTape(*writer, tape, tape.frames.size());
    ASSERT_TRUE(writer->finish());

    const Layout layout = readLayout(out);
    ASSERT_GT(layout.riffTypes.size(), 10u);
    EXPECT_EQ(layout.riffTypes.front(), "AVI ");
    for (std::size_t r = 1; r < layout.riffTypes.size(); ++r)
        EXPECT_EQ(layout.riffTypes[r], "AVIX");
    for (const std::uint64_t size : layout.riffSizes)
        EXPECT_LE(size + 8, tape.format.riffSizeLimit);
    EXPECT_TRUE(layout.hasIdx1);
    EXPECT_EQ(layout.dmlhTotal, tape.frames.size());

    auto opened = DvFrameReader::open(out);
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened.value()->indexSource(), IndexSource::OpenDml);
    // avih counts the frames of the first RIFF only, for readers that know no AVIX.
    std::size_t inFirstRiff = 0;
    for (std::size_t i = 0; i < opened.value()->frameCount(); ++i)
        inFirstRiff += opened.value()->frame(i).offset < layout.riffSizes.front() + 8 ? 1 : 0;
    const core::TAviParam param(out);
    ASSERT_TRUE(param.mainHeader());
    EXPECT_EQ(param.mainHeader()->dwTotalFrames, inFirstRiff);
    EXPECT_LT(inFirstRiff, tape.frames.size());
    EXPECT_EQ(param.Streams()[0].header.dwLength, tape.frames.size());

    expectReadBack(out, tape, tape.frames.size());
    expectFfprobeReads(out, tape, tape.frames.size());
    EXPECT_EQ(mediainfoVideo(out), std::to_string(tape.frames.size()) + "|DV|4:3");
}

// A run stopped halfway: the writer is dropped without finish(), as on an abort.
TEST_P(DvAviWriterParts, AnUnfinishedWriterLeavesAFileThatPlaysToWhereItStopped)
{
    Tape tape = loadTape("tape_three.dv", GetParam());
    tape.format.riffSizeLimit = 1000 * 1000;
    const auto out = scratchDir("writer-abort") / "stopped.avi";
    {
        auto writer = createWriter(out, tape.format);
        writeTape(*writer, tape, 37);
        EXPECT_FALSE(std::filesystem::exists(out)); // still under its temporary name
    }
    expectReadBack(out, tape, 37);
    expectFfprobeReads(out, tape, 37);
}

INSTANTIATE_TEST_SUITE_P(Types, DvAviWriterParts, ::testing::Values(DvAviType::Type1, DvAviType::Type2),
                         [](const auto &info) { return info.param == DvAviType::Type1 ? "type1" : "type2"; });

TEST(DvAviWriter, AFileWithoutFramesIsStillAValidAvi)
{
    const Tape tape = loadTape("pal_4x3_48k.dv", DvAviType::Type2);
    const auto out = scratchDir("writer-empty") / "empty.avi";
    auto writer = createWriter(out, tape.format);
    ASSERT_TRUE(writer->finish());
    const core::TAviParam param(out);
    EXPECT_TRUE(param.Valid());
    EXPECT_EQ(param.Streams().size(), 2u);
    EXPECT_EQ(readLayout(out).riffTypes, std::vector<std::string>{"AVI "});
    EXPECT_TRUE(runCommand("ffprobe -v error '" + out.string() + "' 2>&1").output.empty());
}

// A type 1 source with two stereo pairs (32 kHz, 4 channels) becomes a type 2 file with two
// PCM streams.
TEST(DvAviWriter, Type2WithTwoAudioStreams)
{
    Tape tape = loadTape("pal_16x9_32k.dv", DvAviType::Type2);
    tape.format.audio = {AviPcmFormat{32000, 2}, AviPcmFormat{32000, 2}};
    const auto out = scratchDir("writer-two-pairs") / "out.avi";
    auto writer = createWriter(out, tape.format);
    writeTape(*writer, tape, tape.frames.size());
    ASSERT_TRUE(writer->finish());

    const Probe probe = ffprobe(out);
    EXPECT_EQ(probe.errors, "");
    ASSERT_EQ(probe.streams.size(), 3u);
    for (std::size_t s = 1; s < 3; ++s) {
        EXPECT_EQ(probe.streams[s].at("codec_name"), "pcm_s16le");
        EXPECT_EQ(probe.streams[s].at("sample_rate"), "32000");
    }
    auto reader = DvFrameReader::open(out);
    ASSERT_TRUE(reader);
    ASSERT_EQ(reader.value()->streams().size(), 3u);
    EXPECT_EQ(reader.value()->streams()[2].samples.size(), tape.frames.size());
    EXPECT_EQ(reader.value()->frameCount(), tape.frames.size());
}

// The super index has room for 256 parts: a writer that needs more stops, keeps the file
// finished with what it holds, and refuses further frames.
TEST(DvAviWriter, TooManyPartsEndsTheFileCleanly)
{
    Tape tape = loadTape("pal_4x3_48k.dv", DvAviType::Type1);
    tape.format.riffSizeLimit = 1; // one frame per RIFF
    const auto out = scratchDir("writer-too-long") / "long.avi";
    auto writer = createWriter(out, tape.format);
    WriteResult status;
    std::size_t written = 0;
    for (; written < 300 && status.ok(); ++written)
        status = writer->writeFrame(tape.frames[written % tape.frames.size()]);
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.error().code, WriterErrorCode::TooLong);
    EXPECT_EQ(writer->framesWritten(), 256u);
    EXPECT_EQ(writer->finish().error().code, WriterErrorCode::TooLong);
    EXPECT_EQ(readLayout(out).riffTypes.size(), 256u);
    expectReadBack(out, tape, 256);
    expectFfprobeReads(out, tape, 256);
}

// Past 1 GB: one OpenDML file of 7 500 PAL frames (5 minutes) with its audio, written frame
// by frame from memory as the conversions write them, a short tape over and over. Removed at
// the end.
TEST(DvAviWriter, AFileAboveOneGigabyteReadsToItsLastFrame)
{
    const Tape tape = loadTape("pal_4x3_48k.dv", DvAviType::Type2);
    const auto dir = scratchDir("writer-large");
    const auto out = dir / "large.avi";
    constexpr std::size_t kFrames = 7500;
    {
        auto writer = createWriter(out, tape.format);
        for (std::size_t i = 0; i < kFrames; ++i) {
            const std::size_t f = i % tape.frames.size();
            ASSERT_TRUE(writer->writeFrame(tape.frames[f]));
            ASSERT_TRUE(writer->writeAudio(pcmOfFrame(tape, f)));
        }
        ASSERT_TRUE(writer->finish());
    }
    EXPECT_GT(std::filesystem::file_size(out), 1024ull * 1024 * 1024);

    const Layout layout = readLayout(out);
    ASSERT_EQ(layout.riffTypes, (std::vector<std::string>{"AVI ", "AVIX"}));
    EXPECT_LE(layout.riffSizes[0] + 8, DvAviFormat::kDefaultRiffSizeLimit);
    EXPECT_EQ(layout.dmlhTotal, kFrames);

    auto written = DvFrameReader::open(out);
    ASSERT_TRUE(written);
    EXPECT_EQ(written.value()->indexSource(), IndexSource::OpenDml);
    ASSERT_EQ(written.value()->frameCount(), kFrames);
    Bytes frame;
    for (const std::size_t i : {std::size_t{0}, kFrames / 2, kFrames - 1}) {
        ASSERT_TRUE(written.value()->readFrame(i, frame));
        EXPECT_TRUE(frame == tape.frames[i % tape.frames.size()]) << "frame " << i;
    }
    Tape cycled = tape;
    expectFfprobeReads(out, cycled, kFrames);
    std::filesystem::remove_all(dir);
}

// ---------------------------------------------------------------------------------------
// Mistakes of the caller are refused without harming the file.

TEST(DvAviWriter, RefusedWritesLeaveTheFileAsItWas)
{
    const Tape tape = loadTape("pal_4x3_48k.dv", DvAviType::Type2);
    const auto dir = scratchDir("writer-refused");
    auto writer = createWriter(dir / "out.avi", tape.format);
    ASSERT_TRUE(writer->writeFrame(tape.frames[0]));
    ASSERT_TRUE(writer->writeAudio(pcmOfFrame(tape, 0)));

    const Bytes shortFrame(120000, 0);
    const auto badSize = writer->writeFrame(shortFrame);
    ASSERT_FALSE(badSize.ok());
    EXPECT_EQ(badSize.error().code, WriterErrorCode::BadFrame);
    const Bytes oddPcm(7, 0);
    ASSERT_FALSE(writer->writeAudio(oddPcm));
    EXPECT_EQ(writer->writeAudio(oddPcm).error().code, WriterErrorCode::BadFrame);
    EXPECT_EQ(writer->writeAudio(pcmOfFrame(tape, 0), 1).error().code, WriterErrorCode::BadFrame); // no such stream

    ASSERT_TRUE(writer->writeFrame(tape.frames[1]));
    ASSERT_TRUE(writer->writeAudio(pcmOfFrame(tape, 1)));
    ASSERT_TRUE(writer->finish());
    EXPECT_TRUE(writer->finish()); // again: nothing to do
    EXPECT_EQ(writer->writeFrame(tape.frames[2]).error().code, WriterErrorCode::Finished);
    EXPECT_EQ(writer->framesWritten(), 2u);
    expectReadBack(dir / "out.avi", tape, 2);

    const Tape type1 = loadTape("pal_4x3_48k.dv", DvAviType::Type1);
    auto interleaved = createWriter(dir / "type1.avi", type1.format);
    EXPECT_EQ(interleaved->writeAudio(pcmOfFrame(tape, 0)).error().code, WriterErrorCode::BadFrame);
}

TEST(DvAviWriter, UnwritableDestinationIsAnError)
{
    const DvAviFormat format;
    const auto dir = scratchDir("writer-unwritable");
    const auto missing = DvAviWriter::create(dir / "no such folder" / "out.avi", format);
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().code, WriterErrorCode::CannotCreate);
    EXPECT_NE(missing.error().message.find("no such folder"), std::string::npos);

    if (::geteuid() != 0) { // the superuser writes into read-only folders
        const auto locked = dir / "locked";
        std::filesystem::create_directory(locked);
        std::filesystem::permissions(locked, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        const auto refused = DvAviWriter::create(locked / "out.avi", format);
        std::filesystem::permissions(locked, std::filesystem::perms::owner_all);
        ASSERT_FALSE(refused);
        EXPECT_EQ(refused.error().code, WriterErrorCode::CannotCreate);
    }
}

// Runs in a child process whose file size limit plays a full disk; the exit status says
// which expectation failed (0: all held).
int writeUntilTheDiskIsFull(const std::filesystem::path &out, const Tape &tape)
{
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{2 * 1000 * 1000, 2 * 1000 * 1000};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    auto created = DvAviWriter::create(out, tape.format);
    if (!created)
        return 2;
    DvAviWriter &writer = *created.value();
    WriteResult status;
    for (std::size_t i = 0; i < 100 && status.ok(); ++i)
        status = writer.writeFrame(tape.frames[i % tape.frames.size()]);
    if (status.ok() || status.error().code != WriterErrorCode::DiskFull)
        return 3;
    if (status.error().message.find("disk is full") == std::string::npos)
        return 4;
    // Later calls give the same error; finishing cannot bring the file back.
    if (writer.writeFrame(tape.frames[0]).ok() || writer.finish().ok())
        return 5;
    return 0;
}

// A full disk, played by a file size limit in a child process: the write fails with a clear
// error, the unfinished file is removed, and the file it would have replaced is untouched.
TEST(DvAviWriter, AFullDiskEndsWithAnErrorAndLeavesNoPartialFile)
{
    const Tape tape = loadTape("pal_4x3_48k.dv", DvAviType::Type1);
    const auto dir = scratchDir("writer-full");
    const auto out = dir / "out.avi";
    const Bytes old = {'o', 'l', 'd'};
    test::writeBytes(out, old);

    EXPECT_EXIT(std::_Exit(writeUntilTheDiskIsFull(out, tape)), ::testing::ExitedWithCode(0), "");

    EXPECT_EQ(test::readBytes(out), old);
    std::size_t files = 0;
    for ([[maybe_unused]] const auto &entry : std::filesystem::directory_iterator(dir))
        ++files;
    EXPECT_EQ(files, 1u) << "a temporary file was left behind";
}

TEST(DvAviWriter, AnExistingFileIsReplacedOnlyWhenTheNewOneIsFinished)
{
    const Tape tape = loadTape("pal_4x3_48k.dv", DvAviType::Type1);
    const auto dir = scratchDir("writer-replace");
    const auto out = dir / "out.avi";
    const Bytes old = {'o', 'l', 'd'};
    test::writeBytes(out, old);
    {
        auto discarded = createWriter(out, tape.format);
        writeTape(*discarded, tape, 5);
        discarded->discard();
        EXPECT_FALSE(discarded->writeFrame(tape.frames[0]));
    }
    EXPECT_EQ(test::readBytes(out), old);

    auto writer = createWriter(out, tape.format);
    writeTape(*writer, tape, 5);
    EXPECT_EQ(test::readBytes(out), old);
    ASSERT_TRUE(writer->finish());
    expectReadBack(out, tape, 5);
}

// ---------------------------------------------------------------------------------------

struct FormatCase {
    const char *tape;
    DvSystem system;
    bool wide;
    std::uint32_t sampleRate;
};

TEST(DvAviFormat, ReadFromTheFirstFrame)
{
    for (const FormatCase &c : {FormatCase{"pal_4x3_48k.dv", DvSystem::Pal, false, 48000},
                                FormatCase{"pal_16x9_32k.dv", DvSystem::Pal, true, 32000},
                                FormatCase{"ntsc_4x3_48k.dv", DvSystem::Ntsc, false, 48000}}) {
        const Tape tape = loadTape(c.tape, DvAviType::Type1);
        const DvAviFormat &f = tape.format;
        EXPECT_EQ(f.type, DvAviType::Type1) << c.tape;
        EXPECT_EQ(f.system, c.system) << c.tape;
        EXPECT_EQ(f.wide, c.wide) << c.tape;
        ASSERT_EQ(f.audio.size(), 1u) << c.tape;
        EXPECT_EQ(f.audio[0], (AviPcmFormat{c.sampleRate, 2})) << c.tape;
    }
    // A frame without audio packs gives a silent type 2 file.
    const Tape silent = loadTape("ntsc_nodate.dv", DvAviType::Type2);
    EXPECT_TRUE(silent.format.audio.empty());
    EXPECT_EQ(silent.format.system, DvSystem::Ntsc);
    EXPECT_FALSE(DvAviFormat::fromFrame(Bytes(1000, 0), DvAviType::Type2));
}

// The program's own header walk takes PAL or NTSC from the DVINFO of a type 1 file.
TEST(DvAviWriter, Type1HeadersCarryTheFramesDvInfo)
{
    for (const char *name : {"pal_16x9_32k.dv", "ntsc_4x3_48k.dv"}) {
        const Tape tape = loadTape(name, DvAviType::Type1);
        const auto out = scratchDir("writer-dvinfo") / "out.avi";
        auto writer = createWriter(out, tape.format);
        writeTape(*writer, tape, 3);
        ASSERT_TRUE(writer->finish());
        const Bytes file = test::readBytes(out);
        const auto strf = std::search(file.begin(), file.end(), "strf", "strf" + 4);
        ASSERT_NE(strf, file.end());
        const std::size_t at = static_cast<std::size_t>(strf - file.begin()) + 8;
        EXPECT_EQ(get32(file, at - 4), 32u);
        const std::uint32_t vauxSource = get32(file, at + 16);
        EXPECT_EQ((vauxSource & 0x200000) != 0, tape.format.system == DvSystem::Pal) << name;
        EXPECT_NE(get32(file, at), 0u) << name << ": AAUX source of the first audio half";
    }
}

} // namespace
} // namespace camlog::media
