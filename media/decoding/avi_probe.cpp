// The media prober: RIFF headers and the first DV frame for DV files, libavformat for other AVIs.
#include "media/decoding/avi_probe.h"

#include "core/avi_param.h"
#include "core/dv_frame.h"
#include "core/little_endian.h"
#include "core/riff_chunks.h"
#include "media/audio/first_dv_audio.h"
#include "media/reading/avi_index_loader.h"
#include "media/reading/dv_format.h"
#include "media/reading/dv_frame_reader.h"
#include "media/reading/file_announcer.h"
#include "media/reading/read_ahead.h"
#include "scenes/frame_record.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/rational.h>
}

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <vector>

namespace camlog::media {

namespace {

using core::FourCC;
using core::ProbeResult;
using core::RiffChunk;
using core::RiffChunks;
using core::RiffReader;
namespace fcc = core::fcc;

// More than any strf of a DV or PCM stream holds; the rest of a larger one is not needed.
constexpr std::size_t kMaxFormatBytes = 4096;
// A writer puts the first frame of every stream among the first chunks of the movi list;
// the bound keeps a file without one from being walked to its end.
constexpr int kMaxChunksToFirstFrame = 512;
// How far a tape that starts without sound is searched for the first frame with audio (two
// minutes of PAL); a search reads only the first bytes of each frame.
constexpr std::size_t kAudioLookAhead = 3000;
// The headers of a DV AVI file (OpenDML writers pad them to 64 KiB and more) and its first
// frame lie in its first 300 KB.
constexpr std::uint64_t kProbedBytes = 320 * 1024;
// The walk over the top-level chunks also reads the header of the index that ends the file.
constexpr std::uint64_t kProbedTailBytes = 64 * 1024;

struct StreamHeaders {
    core::AviStreamHeader strh;
    std::vector<std::uint8_t> strf;
};

struct AviHeaders {
    std::vector<StreamHeaders> streams;
    std::uint64_t moviStart = 0; // first child of the first movi list
    std::uint64_t moviEnd = 0;
    bool moviCut = false;          // the file ends before the movi list does
    std::uint32_t totalFrames = 0; // dmlh of an OpenDML file: frames of all RIFF chunks
};

// ---------------------------------------------------------------------------------------
// Header walk of the first RIFF chunk, up to its movi list.

// True once the movi list is found. A stream header whose size runs past the file ends the
// walk, as the skip past it would.
bool walkHeaders(RiffChunks &chunks, std::uint64_t fileSize, AviHeaders &out)
{
    while (const auto chunk = chunks.next()) {
        const FourCC id = chunk->id;
        if (id == fcc::LIST) {
            if (!chunk->isList())
                return false;
            if (chunk->listType == fcc::movi) {
                out.moviStart = chunk->data() + 4;
                out.moviEnd = chunk->end;
                out.moviCut = chunk->declaredEnd() > fileSize;
                return true; // the headers come before the frames
            }
            if (chunk->listType == fcc::strl)
                out.streams.emplace_back();
            auto children = chunks.children(*chunk);
            if (walkHeaders(children, fileSize, out))
                return true;
        } else if (id == fcc::strh && !out.streams.empty()) {
            if (chunk->declaredEnd() > fileSize)
                return false;
            std::array<std::uint8_t, core::AviStreamHeader::kSize> bytes{};
            chunks.readData(*chunk, bytes);
            out.streams.back().strh = core::AviStreamHeader::fromBytes(bytes);
        } else if (id == fcc::dmlh) {
            std::array<std::uint8_t, 4> total{};
            if (chunk->available() >= total.size() && chunks.readData(*chunk, total) == total.size())
                out.totalFrames = core::readLe32(total.data());
        } else if (id == fcc::strf && !out.streams.empty()) {
            auto &strf = out.streams.back().strf;
            strf.resize(static_cast<std::size_t>(std::min<std::uint64_t>(chunk->available(), kMaxFormatBytes)));
            if (chunks.readData(*chunk, strf) != strf.size())
                return false;
        }
    }
    return false;
}

// "00dc", "01wb", "00__": the stream number in two decimal digits.
int chunkStream(FourCC id)
{
    const char a = id.at(0);
    const char b = id.at(1);
    if (a < '0' || a > '9' || b < '0' || b > '9')
        return -1;
    return (a - '0') * 10 + (b - '0');
}

struct ChunkSearch {
    int stream = 0;
    std::uint64_t fileSize = 0;
    int visited = 0;
    bool cut = false;     // the walk met the end of the file before it found the chunk
    bool stopped = false; // a header or list type could not be read
};

// Offset and size of the first non-empty data chunk of a stream in chunks; a rec list,
// which groups the chunks of one moment, is searched where it stands.
std::optional<std::pair<std::uint64_t, std::uint32_t>> searchChunks(RiffChunks &chunks, ChunkSearch &search)
{
    while (search.visited < kMaxChunksToFirstFrame && chunks.left() >= 8) {
        ++search.visited;
        const auto chunk = chunks.next();
        if (!chunk) {
            search.stopped = true;
            return std::nullopt;
        }
        if (chunk->id == fcc::LIST) {
            if (!chunk->isList()) {
                search.stopped = true;
                return std::nullopt;
            }
            auto children = chunks.children(*chunk);
            const auto found = searchChunks(children, search);
            if (found || search.cut || search.stopped)
                return found;
            continue;
        }
        if (chunkStream(chunk->id) == search.stream && chunk->size > 0)
            return std::make_pair(chunk->data(), chunk->size);
        if (chunk->declaredEnd() > search.fileSize) {
            search.cut = true;
            return std::nullopt;
        }
    }
    return std::nullopt;
}

// Offset and size of the first non-empty data chunk of a stream.
// cut: the walk met the end of the file before it found the chunk.
std::optional<std::pair<std::uint64_t, std::uint32_t>> findFirstChunk(RiffReader &reader, const AviHeaders &headers,
                                                                      int stream, bool &cut)
{
    RiffChunks movi(reader, headers.moviStart, headers.moviEnd, 2);
    ChunkSearch search{stream, reader.size()};
    const auto found = searchChunks(movi, search);
    cut = search.cut || (!found && !search.stopped && headers.moviCut && movi.left() < 8);
    return found;
}

bool isDvFrame(const std::vector<std::uint8_t> &frame)
{
    return core::SequencesForFrameSize(frame.size()) != 0
           && RawDvLoader::startsWithDifHeader(frame.data(), frame.size());
}

enum class FirstFrame { Dv, NotDv, Cut };

// The first frame of a stream when it is a DV frame. A chunk of a DV frame's size that the
// file does not hold in full (a capture cut short) is Cut, and so is an iavs stream whose
// frames cannot be found: such a file cannot be played, whatever else it holds.
FirstFrame readFirstDvFrame(RiffReader &reader, const AviHeaders &headers, int stream, std::vector<std::uint8_t> &frame)
{
    const bool interleaved = headers.streams[static_cast<std::size_t>(stream)].strh.fccType == fcc::iavs;
    bool cut = false;
    const auto chunk = findFirstChunk(reader, headers, stream, cut);
    if (!chunk)
        return interleaved || cut ? FirstFrame::Cut : FirstFrame::NotDv;
    if (core::SequencesForFrameSize(chunk->second) == 0)
        return interleaved ? FirstFrame::Cut : FirstFrame::NotDv;
    frame.resize(chunk->second);
    if (reader.readAt(chunk->first, frame) != frame.size())
        return FirstFrame::Cut;
    if (!isDvFrame(frame))
        return interleaved ? FirstFrame::Cut : FirstFrame::NotDv;
    return FirstFrame::Dv;
}

// Durations come from 32-bit header fields whose products overflow 64 bits; they are
// computed in long double and a result beyond what 64 bits hold is no duration at all.
std::optional<std::int64_t> checkedUnits(long double units)
{
    if (!(units >= 0.0L) || units >= 9.2e18L)
        return std::nullopt;
    return std::llround(units);
}

std::optional<std::int64_t> streamDuration(const core::AviStreamHeader &strh)
{
    if (strh.dwRate == 0)
        return 0;
    return checkedUnits(static_cast<long double>(strh.dwLength) * strh.dwScale * 1e7L / strh.dwRate);
}

std::int64_t frameLength(const core::AviStreamHeader &strh)
{
    if (strh.dwRate == 0)
        return 0;
    // At most 2^32 x 10^7: well inside 64 bits.
    return std::llround(static_cast<double>(strh.dwScale) * 1e7 / strh.dwRate);
}

// A video stream lasts its frames times the frame length its decoder reports (rounded to
// 100 ns), so that a duration shown with frames counts every frame: 29 NTSC frames are
// 29 x 333667, not the 0.9676333 s that dwScale/dwRate give, which would show as 28 frames.
// An OpenDML file counts the frames of all its RIFF chunks in dmlh.
std::optional<std::int64_t> videoDuration(const core::AviStreamHeader &strh, std::uint32_t totalFrames,
                                          std::int64_t frameLength)
{
    return checkedUnits(static_cast<long double>(std::max(strh.dwLength, totalFrames)) * frameLength);
}

// The four data bytes of a pack (after its header byte) as DVINFO holds them.
std::uint32_t packWord(const core::DvPack &pack)
{
    return core::readLe32(pack.data() + 1);
}

// ---------------------------------------------------------------------------------------
// What the DV frame itself says: first-frame values, DVINFO, picture and audio format.

void takeFirstFrameValues(const std::vector<std::uint8_t> &frame, ProbeResult &result)
{
    const int nseq = core::SequencesForFrameSize(frame.size());
    scenes::FrameRecord record;
    scenes::DecodeFrameRecord(frame, nseq, record);
    result.DvFound = true;
    result.DatecodeFound = record.datecodeValid;
    result.Datecode = record.datecodeValid ? record.datecode : core::DateTime();
    result.TimecodeFound = record.timecodeValid;
    result.Timecode = record.timecodeValid ? record.timecode : core::TTimecode();
    result.FirstFrameWide = record.widePicture;
    result.FirstFramePal = frame.size() == core::kPalFrameSize;
}

bool frameIsPal(const std::vector<std::uint8_t> &frame)
{
    return dvSystemOfFrameSize(frame.size()) == DvSystem::Pal;
}

// 100-ns units per frame of the frame's system (a frame of no known size counts as 525/60).
std::int64_t frameLength(const std::vector<std::uint8_t> &frame)
{
    return dvFrameDuration(frameIsPal(frame) ? DvSystem::Pal : DvSystem::Ntsc);
}

core::DvInfo dvInfoFromFrame(const std::vector<std::uint8_t> &frame)
{
    const int nseq = core::SequencesForFrameSize(frame.size());
    core::DvInfo info;
    core::DvPack pack{};
    if (core::FindPack(frame, 0x60, nseq, pack)) {
        info.dwDVVAuxSrc = packWord(pack);
    } else if (frameIsPal(frame)) {
        info.dwDVVAuxSrc = 0x200000; // no source pack: the frame size still tells the system
    }
    if (core::FindPack(frame, core::pack::kVideoSourceControl, nseq, pack))
        info.dwDVVAuxCtl = packWord(pack);
    core::DifBlock block{};
    if (core::FindAudioSourceBlock(frame, core::pack::kAudioSource, nseq, block))
        info.dwDVAAuxSrc = packWord({block[3], block[4], block[5], block[6], block[7]});
    if (core::FindAudioSourceBlock(frame, 0x51, nseq, block))
        info.dwDVAAuxCtl = packWord({block[3], block[4], block[5], block[6], block[7]});
    return info;
}

// The picture format a DV decoder reports for the frame.
void videoFromFrame(const std::vector<std::uint8_t> &frame, std::optional<std::int64_t> duration, ProbeResult &result)
{
    result.VideoFound = true;
    result.Width = 720;
    result.Height = frameIsPal(frame) ? 576 : 480;
    result.AvgTimePerFrame = frameLength(frame);
    result.Compression = fcc::dvsd;
    result.VideoDuration = duration;
}

// The PCM format the DV audio of the frame is split into: 16-bit samples (12-bit DV audio
// is widened), one stereo pair.
void audioFromFrame(const std::vector<std::uint8_t> &frame, std::optional<std::int64_t> duration, ProbeResult &result)
{
    int rate = 0;
    int channels = 0;
    int bits = 0;
    if (!core::ReadAudioFormat(frame, core::SequencesForFrameSize(frame.size()), rate, channels, bits) || rate == 0)
        return;
    core::WaveFormatEx &wave = result.Wave;
    wave.wFormatTag = 1;
    wave.nChannels = channels == 1 ? 1 : 2;
    wave.nSamplesPerSec = static_cast<std::uint32_t>(rate);
    wave.wBitsPerSample = 16;
    wave.nBlockAlign = static_cast<std::uint16_t>(wave.nChannels * 2);
    wave.nAvgBytesPerSec = wave.nSamplesPerSec * wave.nBlockAlign;
    wave.cbSize = 0;
    result.AudioFound = true;
    result.AudioDuration = duration;
}

void takeInterleaved(const std::vector<std::uint8_t> &frame, const std::vector<std::uint8_t> &strf,
                     std::optional<std::int64_t> duration, ProbeResult &result)
{
    result.InterleavedFound = true;
    // Some capture tools write a DVINFO of zeros: its 50/60 bit then means nothing, and the
    // frame tells the system instead, as it does for a file without DVINFO.
    const bool emptyInfo =
        strf.size() < core::DvInfo::kSize
        || std::all_of(strf.begin(), strf.begin() + core::DvInfo::kSize, [](std::uint8_t b) { return b == 0; });
    if (emptyInfo) {
        result.Info = dvInfoFromFrame(frame);
    } else {
        result.Info = core::DvInfo::fromBytes(
            std::span<const std::uint8_t, core::DvInfo::kSize>(strf.data(), core::DvInfo::kSize));
    }
    if (!result.VideoFound)
        videoFromFrame(frame, duration, result);
    if (!result.AudioFound)
        audioFromFrame(frame, duration, result);
}

// Tapes often start on frames without audio: when the first frame has none, the format is that
// of the first frame that carries any.
void audioFromLaterFrames(const std::string &path, ProbeResult &result)
{
    if (!result.InterleavedFound || result.AudioFound)
        return;
    auto reader = DvFrameReader::open(path);
    if (!reader || reader.value()->dvStream() < 0)
        return;
    const auto first = FindFirstDvAudio(*reader.value(), 1, kAudioLookAhead);
    std::vector<std::uint8_t> frame;
    if (first && reader.value()->readFrame(first->frame, frame))
        audioFromFrame(frame, result.VideoDuration, result);
}

// ---------------------------------------------------------------------------------------

bool probeRawDv(RiffReader &reader, const std::string &path, ProbeResult &result)
{
    // A plain reader of a regular file; no chunk is walked.
    std::array<std::uint8_t, 4> head{};
    if (reader.readAt(0, head) != head.size())
        return false;
    const std::size_t size = (head[3] & 0x80) != 0 ? core::kPalFrameSize : core::kNtscFrameSize;
    std::vector<std::uint8_t> frame(size);
    if (reader.readAt(0, frame) != frame.size())
        return false; // not even one whole frame
    const auto frames = static_cast<std::int64_t>(reader.size() / size);
    const std::int64_t duration = frames * frameLength(frame);
    result.StreamCount = 1;
    takeFirstFrameValues(frame, result);
    takeInterleaved(frame, {}, duration, result);
    audioFromLaterFrames(path, result);
    return true;
}

void videoFromStrf(const StreamHeaders &stream, std::uint32_t totalFrames, ProbeResult &result)
{
    if (stream.strf.size() < core::BitmapInfoHeader::kSize)
        return; // a format too short for its record is not taken
    const auto bih = core::BitmapInfoHeader::fromBytes(std::span<const std::uint8_t, core::BitmapInfoHeader::kSize>(
        stream.strf.data(), core::BitmapInfoHeader::kSize));
    result.VideoFound = true;
    result.Width = bih.biWidth;
    result.Height = bih.biHeight;
    result.Compression = bih.biCompression;
    result.AvgTimePerFrame = frameLength(stream.strh);
    result.VideoDuration = videoDuration(stream.strh, totalFrames, result.AvgTimePerFrame);
}

void audioFromStrf(const StreamHeaders &stream, ProbeResult &result)
{
    if (stream.strf.size() < 16)
        return; // a PCMWAVEFORMAT (16 bytes) has everything but cbSize
    std::array<std::uint8_t, core::WaveFormatEx::kSize> bytes{};
    std::copy_n(stream.strf.begin(), std::min(stream.strf.size(), bytes.size()), bytes.begin());
    result.Wave = core::WaveFormatEx::fromBytes(bytes);
    result.AudioFound = true;
    result.AudioDuration = streamDuration(stream.strh);
}

// ---------------------------------------------------------------------------------------
// Non-DV AVI files through libavformat.

struct FormatContextCloser {
    void operator()(AVFormatContext *context) const { avformat_close_input(&context); }
};
using FormatContextPtr = std::unique_ptr<AVFormatContext, FormatContextCloser>;

std::int64_t toUnits(std::int64_t value, AVRational timeBase)
{
    if (value == AV_NOPTS_VALUE || value < 0)
        return 0;
    return av_rescale_q(value, timeBase, AVRational{1, 10'000'000});
}

bool probeWithLibav(const std::string &path, ProbeResult &result)
{
    AVFormatContext *raw = nullptr;
    if (avformat_open_input(&raw, path.c_str(), av_find_input_format("avi"), nullptr) < 0)
        return false;
    const FormatContextPtr context(raw);
    result.StreamCount = static_cast<std::int32_t>(context->nb_streams);
    for (unsigned i = 0; i < context->nb_streams; ++i) {
        const AVStream *stream = context->streams[i];
        const AVCodecParameters *par = stream->codecpar;
        // The AVI demuxer keeps a stream's dwScale/dwRate as its time base and dwLength as
        // its frame count; an audio stream has no duration of its own beside them.
        std::int64_t duration = toUnits(stream->duration, stream->time_base);
        if (duration == 0 && stream->nb_frames > 0)
            duration = toUnits(stream->nb_frames, stream->time_base);
        if (duration == 0 && context->duration != AV_NOPTS_VALUE)
            duration = toUnits(context->duration, AVRational{1, AV_TIME_BASE});
        if (par->codec_type == AVMEDIA_TYPE_VIDEO && !result.VideoFound) {
            AVRational rate = stream->avg_frame_rate;
            if (rate.num <= 0 || rate.den <= 0)
                rate = stream->r_frame_rate;
            if (rate.num <= 0 || rate.den <= 0)
                rate = av_inv_q(stream->time_base);
            result.VideoFound = true;
            result.Width = par->width;
            result.Height = par->height;
            result.Compression = FourCC::fromValue(par->codec_tag);
            result.AvgTimePerFrame = rate.num > 0 && rate.den > 0 ? std::llround(1e7 * rate.den / rate.num) : 0;
            result.VideoDuration = duration;
        } else if (par->codec_type == AVMEDIA_TYPE_AUDIO && !result.AudioFound) {
            core::WaveFormatEx &wave = result.Wave;
            wave.wFormatTag = static_cast<std::uint16_t>(par->codec_tag);
            wave.nChannels = static_cast<std::uint16_t>(par->ch_layout.nb_channels);
            wave.nSamplesPerSec = static_cast<std::uint32_t>(par->sample_rate);
            wave.nAvgBytesPerSec = static_cast<std::uint32_t>(par->bit_rate / 8);
            wave.nBlockAlign = static_cast<std::uint16_t>(par->block_align);
            wave.wBitsPerSample = static_cast<std::uint16_t>(par->bits_per_coded_sample);
            result.AudioFound = true;
            result.AudioDuration = duration;
        }
    }
    return true;
}

bool probeAvi(RiffReader &reader, const std::string &path, ProbeResult &result)
{
    AviHeaders headers;
    RiffChunks top(reader, 0, reader.size());
    const auto riff = top.next();
    if (!riff || riff->id != fcc::RIFF || !riff->isList())
        return false;
    auto children = top.children(*riff);
    walkHeaders(children, reader.size(), headers);
    if (headers.streams.empty() || headers.moviStart == 0)
        return probeWithLibav(path, result);

    // The DV stream: the first iavs stream, else the first vids stream, whose first chunk
    // is a DV frame.
    int dvStream = -1;
    std::vector<std::uint8_t> frame;
    for (const FourCC type : {fcc::iavs, fcc::vids}) {
        for (std::size_t i = 0; dvStream < 0 && i < headers.streams.size(); ++i) {
            if (headers.streams[i].strh.fccType != type)
                continue;
            switch (readFirstDvFrame(reader, headers, static_cast<int>(i), frame)) {
            case FirstFrame::Dv:
                dvStream = static_cast<int>(i);
                break;
            case FirstFrame::Cut:
                return false;
            case FirstFrame::NotDv:
                break;
            }
        }
    }
    if (dvStream < 0)
        return probeWithLibav(path, result);

    result.StreamCount = static_cast<std::int32_t>(headers.streams.size());
    takeFirstFrameValues(frame, result);
    for (std::size_t i = 0; i < headers.streams.size(); ++i) {
        const StreamHeaders &stream = headers.streams[i];
        const FourCC type = stream.strh.fccType;
        if (static_cast<int>(i) == dvStream && type == fcc::iavs) {
            const std::int64_t length = frameLength(frame);
            takeInterleaved(frame, stream.strf, videoDuration(stream.strh, headers.totalFrames, length), result);
        } else if (type == fcc::vids && !result.VideoFound) {
            videoFromStrf(stream, headers.totalFrames, result);
            if (static_cast<int>(i) == dvStream && !result.VideoFound) {
                const std::int64_t length = frameLength(frame);
                videoFromFrame(frame, videoDuration(stream.strh, headers.totalFrames, length), result);
            }
        } else if (type == fcc::auds && !result.AudioFound) {
            audioFromStrf(stream, result);
        }
    }
    audioFromLaterFrames(path, result);
    return true;
}

} // namespace

bool AviProber::Probe(const std::string &path, core::ProbeResult &result) const
{
    result = core::ProbeResult();
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    std::array<std::uint8_t, 12> head{};
    RiffReader reader(path);
    if (!reader.isOpen() || reader.readAt(0, head) < 4)
        return false;
    const bool ok =
        (FourCC::fromBytes(head.data()) == fcc::RIFF && FourCC::fromBytes(head.data() + 8) == fcc::AVI)
            ? probeAvi(reader, path, result)
            : RawDvLoader::startsWithDifHeader(head.data(), head.size()) && probeRawDv(reader, path, result);
    if (!ok)
        result = core::ProbeResult();
    return ok;
}

AviProber::AviProber() : m_announcer(std::make_unique<FileAnnouncer>(kProbedBytes, kProbedTailBytes)) {}

AviProber::~AviProber() = default;

void AviProber::WillProbe(const std::vector<std::string> &paths) const
{
    m_announcer->announce(paths);
}

} // namespace camlog::media
