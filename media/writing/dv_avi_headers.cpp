// The bytes of a DV AVI file's header list and indexes.
#include "media/writing/dv_avi_headers.h"

#include "core/dv_frame.h"

#include <algorithm>
#include <limits>

namespace camlog::media::avi {

namespace {

using core::FourCC;
namespace fcc = core::fcc;

constexpr FourCC kIavs = fcc::iavs;
constexpr FourCC kVprp = FourCC::fromString("vprp");

// avih flags: the file has an idx1, its chunks are interleaved, and the chunk ids can be
// trusted to say which stream and kind of data a chunk holds.
constexpr std::uint32_t kAvifHasIndex = 0x10;
constexpr std::uint32_t kAvifIsInterleaved = 0x100;
constexpr std::uint32_t kAvifTrustCkType = 0x800;
constexpr std::uint32_t kAviifKeyFrame = 0x10;
constexpr std::uint8_t kIndexOfIndexes = 0x00;
constexpr std::uint8_t kIndexOfChunks = 0x01;
constexpr std::size_t kDmlhSize = 248;
// "Use the default quality" in a stream header.
constexpr std::uint32_t kDefaultQuality = 0xFFFFFFFFu;

constexpr std::uint8_t kVauxSource = 0x60;
constexpr std::uint8_t kAauxSourceControl = 0x51;
// The 50/60 bit of the VAUX source pack, as it lies in DVINFO's dwDVVAuxSrc.
constexpr std::uint32_t kVauxSource50Bit = 0x200000;

// Little-endian bytes with chunks whose sizes are filled in when they are closed.
class Bytes {
public:
    void u8(std::uint8_t v) { m_data.push_back(v); }
    void u16(std::uint16_t v)
    {
        u8(static_cast<std::uint8_t>(v));
        u8(static_cast<std::uint8_t>(v >> 8));
    }
    void u32(std::uint32_t v)
    {
        u16(static_cast<std::uint16_t>(v));
        u16(static_cast<std::uint16_t>(v >> 16));
    }
    void u64(std::uint64_t v)
    {
        u32(static_cast<std::uint32_t>(v));
        u32(static_cast<std::uint32_t>(v >> 32));
    }
    void fourcc(FourCC v) { u32(v.value()); }
    void zeros(std::size_t count) { m_data.insert(m_data.end(), count, 0); }
    void bytes(std::span<const std::uint8_t> b) { m_data.insert(m_data.end(), b.begin(), b.end()); }

    // Returns the position of the size field, for endChunk.
    std::size_t beginChunk(FourCC id)
    {
        fourcc(id);
        const std::size_t at = m_data.size();
        u32(0);
        return at;
    }
    std::size_t beginList(FourCC listType)
    {
        const std::size_t at = beginChunk(fcc::LIST);
        fourcc(listType);
        return at;
    }
    void endChunk(std::size_t sizeAt)
    {
        const auto size = static_cast<std::uint32_t>(m_data.size() - sizeAt - 4);
        for (int i = 0; i < 4; ++i)
            m_data[sizeAt + i] = static_cast<std::uint8_t>(size >> (8 * i));
        if (size & 1)
            u8(0);
    }

    std::vector<std::uint8_t> take() { return std::move(m_data); }

private:
    std::vector<std::uint8_t> m_data;
};

std::uint32_t clamp32(std::uint64_t v)
{
    return static_cast<std::uint32_t>(std::min<std::uint64_t>(v, std::numeric_limits<std::uint32_t>::max()));
}

struct Timing {
    std::uint32_t scale;
    std::uint32_t rate;
    std::uint32_t microSecPerFrame;
};

Timing timingOf(DvSystem system)
{
    return system == DvSystem::Pal ? Timing{1, 25, 40000} : Timing{1001, 30000, 33367};
}

std::uint32_t heightOf(DvSystem system)
{
    return system == DvSystem::Pal ? 576 : 480;
}
constexpr std::uint32_t kWidth = 720;

std::uint16_t blockAlign(const AviPcmFormat &audio)
{
    return static_cast<std::uint16_t>(audio.channels * 2);
}

// The PCM of one frame, rounded up: the size of an audio chunk before any was written.
std::uint32_t audioPerFrame(const AviPcmFormat &audio, const Timing &timing)
{
    const std::uint64_t samples = (std::uint64_t{audio.sampleRate} * timing.scale + timing.rate - 1) / timing.rate;
    return static_cast<std::uint32_t>(samples * blockAlign(audio));
}

void writeSuperIndex(Bytes &out, FourCC chunkId, const StreamTotals *totals)
{
    const std::size_t at = out.beginChunk(fcc::indx);
    const std::size_t used = totals ? std::min(totals->superIndex.size(), kSuperIndexEntries) : 0;
    out.u16(4); // longs per entry
    out.u8(0);
    out.u8(kIndexOfIndexes);
    out.u32(static_cast<std::uint32_t>(used));
    out.fourcc(chunkId);
    out.zeros(12);
    for (std::size_t i = 0; i < used; ++i) {
        const SuperIndexEntry &e = totals->superIndex[i];
        out.u64(e.offset);
        out.u32(e.size);
        out.u32(e.duration);
    }
    out.zeros(16 * (kSuperIndexEntries - used));
    out.endChunk(at);
}

// The video properties header: its frame aspect ratio is how AVI readers learn 4:3 or 16:9
// without decoding a frame.
void writeVideoProperties(Bytes &out, const DvAviFormat &format)
{
    const std::uint32_t height = heightOf(format.system);
    const std::size_t at = out.beginChunk(kVprp);
    out.u32(0);                                          // VideoFormatToken: unknown
    out.u32(format.system == DvSystem::Pal ? 1u : 2u);   // VideoStandard: PAL, NTSC
    out.u32(format.system == DvSystem::Pal ? 50u : 60u); // vertical refresh rate
    out.u32(kWidth);                                     // total width
    out.u32(height);                                     // total height
    out.u16(format.wide ? 9 : 3);                        // frame aspect ratio, y in the low word
    out.u16(format.wide ? 16 : 4);
    out.u32(kWidth);
    out.u32(height);
    out.u32(1); // one field description follows
    out.u32(height);
    out.u32(kWidth);
    out.u32(height);
    out.u32(kWidth);
    out.zeros(16); // offsets
    out.endChunk(at);
}

const StreamTotals *totalsOf(const HeaderCounts &counts, std::size_t stream)
{
    return stream < counts.streams.size() ? &counts.streams[stream] : nullptr;
}

void writeVideoStream(Bytes &out, const DvAviFormat &format, std::span<const std::uint8_t, 32> dvInfo,
                      const HeaderCounts &counts)
{
    const Timing timing = timingOf(format.system);
    const StreamTotals *totals = totalsOf(counts, 0);
    const bool type1 = format.type == DvAviType::Type1;
    const std::size_t list = out.beginList(fcc::strl);

    const std::size_t strh = out.beginChunk(fcc::strh);
    out.fourcc(type1 ? kIavs : fcc::vids);
    out.fourcc(fcc::dvsd);
    out.u32(0); // flags
    out.u16(0); // priority
    out.u16(0); // language
    out.u32(0); // initial frames
    out.u32(timing.scale);
    out.u32(timing.rate);
    out.u32(0); // start
    out.u32(clamp32(counts.totalFrames));
    out.u32(totals && totals->largestChunk ? totals->largestChunk : format.frameSize());
    out.u32(kDefaultQuality);
    out.u32(0); // sample size: frames are chunks
    out.u16(0);
    out.u16(0);
    out.u16(static_cast<std::uint16_t>(kWidth));
    out.u16(static_cast<std::uint16_t>(heightOf(format.system)));
    out.endChunk(strh);

    const std::size_t strf = out.beginChunk(fcc::strf);
    if (type1) {
        out.bytes(dvInfo);
    } else {
        out.u32(40); // BITMAPINFOHEADER
        out.u32(kWidth);
        out.u32(heightOf(format.system));
        out.u16(1);  // planes
        out.u16(24); // bits per pixel of the decoded picture
        out.fourcc(fcc::dvsd);
        out.u32(format.frameSize());
        out.zeros(16);
    }
    out.endChunk(strf);

    writeSuperIndex(out, DataChunkId(format.type, 0), totals);
    if (!type1)
        writeVideoProperties(out, format);
    out.endChunk(list);
}

void writeAudioStream(Bytes &out, const DvAviFormat &format, std::size_t index, const HeaderCounts &counts)
{
    const AviPcmFormat &audio = format.audio[index];
    const std::size_t stream = index + 1;
    const StreamTotals *totals = totalsOf(counts, stream);
    const std::uint16_t align = blockAlign(audio);
    const std::uint32_t bytesPerSec = audio.sampleRate * align;
    const std::size_t list = out.beginList(fcc::strl);

    const std::size_t strh = out.beginChunk(fcc::strh);
    out.fourcc(fcc::auds);
    out.u32(0); // handler
    out.u32(0); // flags
    out.u16(0);
    out.u16(0);
    out.u32(0);
    out.u32(align);       // scale: one sample frame per tick
    out.u32(bytesPerSec); // rate
    out.u32(0);
    out.u32(clamp32(totals ? totals->length : 0));
    out.u32(totals && totals->largestChunk ? totals->largestChunk : audioPerFrame(audio, timingOf(format.system)));
    out.u32(kDefaultQuality);
    out.u32(align);
    out.zeros(8);
    out.endChunk(strh);

    const std::size_t strf = out.beginChunk(fcc::strf);
    out.u16(1); // WAVE_FORMAT_PCM
    out.u16(audio.channels);
    out.u32(audio.sampleRate);
    out.u32(bytesPerSec);
    out.u16(align);
    out.u16(16);
    out.u16(0);
    out.endChunk(strf);

    writeSuperIndex(out, DataChunkId(format.type, stream), totals);
    out.endChunk(list);
}

std::uint32_t maxBytesPerSec(const DvAviFormat &format)
{
    const Timing timing = timingOf(format.system);
    std::uint64_t perSec = (std::uint64_t{format.frameSize() + 8} * timing.rate + timing.scale - 1) / timing.scale;
    if (format.type == DvAviType::Type2)
        for (const AviPcmFormat &audio : format.audio)
            perSec += std::uint64_t{audio.sampleRate} * blockAlign(audio);
    return clamp32(perSec);
}

// The four bytes after the id of the first pack `id` in the audio blocks of the given
// DIF sequences (each audio block carries one AAUX pack after its 3-byte block id).
bool findAudioPack(std::span<const std::uint8_t> frame, int firstSeq, int endSeq, std::uint8_t id, std::uint8_t *out)
{
    constexpr std::size_t kBlocksPerSequence = 150;
    for (int s = firstSeq; s < endSeq; ++s) {
        for (std::size_t a = 0; a < 9; ++a) {
            const std::size_t block = 6 + 16 * a;
            const std::size_t pos = static_cast<std::size_t>(s) * kBlocksPerSequence * core::kDifBlockSize
                                    + block * core::kDifBlockSize + 3;
            if (pos + 5 > frame.size())
                return false;
            if (frame[pos] == id) {
                std::copy_n(frame.begin() + static_cast<std::ptrdiff_t>(pos) + 1, 4, out);
                return true;
            }
        }
    }
    return false;
}

} // namespace

core::FourCC DataChunkId(DvAviType type, std::size_t stream)
{
    std::string id = "00";
    id[0] = static_cast<char>('0' + stream / 10 % 10);
    id[1] = static_cast<char>('0' + stream % 10);
    if (type == DvAviType::Type1)
        id += "__";
    else
        id += stream == 0 ? "dc" : "wb";
    return FourCC::fromString(id);
}

std::size_t StreamCount(const DvAviFormat &format)
{
    return format.type == DvAviType::Type1 ? 1 : 1 + format.audio.size();
}

std::array<std::uint8_t, 32> DvInfoFromFrame(std::span<const std::uint8_t> frame, DvSystem system)
{
    std::array<std::uint8_t, 32> info{};
    const int nseq = core::SequencesForFrameSize(frame.size());
    if (nseq > 0) {
        const int half = nseq / 2;
        findAudioPack(frame, 0, half, core::pack::kAudioSource, &info[0]);
        findAudioPack(frame, 0, half, kAauxSourceControl, &info[4]);
        findAudioPack(frame, half, nseq, core::pack::kAudioSource, &info[8]);
        findAudioPack(frame, half, nseq, kAauxSourceControl, &info[12]);
        core::DvPack pack;
        if (core::FindPack(frame, kVauxSource, nseq, pack))
            std::copy_n(pack.begin() + 1, 4, &info[16]);
        if (core::FindPack(frame, core::pack::kVideoSourceControl, nseq, pack))
            std::copy_n(pack.begin() + 1, 4, &info[20]);
    }
    std::uint32_t vauxSource = info[16] | info[17] << 8 | info[18] << 16 | static_cast<std::uint32_t>(info[19]) << 24;
    if (vauxSource == 0 && system == DvSystem::Pal)
        info[18] |= static_cast<std::uint8_t>(kVauxSource50Bit >> 16);
    return info;
}

std::vector<std::uint8_t> BuildHeaderList(const DvAviFormat &format, std::span<const std::uint8_t, 32> dvInfo,
                                          const HeaderCounts &counts)
{
    Bytes out;
    const std::size_t hdrl = out.beginList(fcc::hdrl);

    std::uint32_t largest = format.frameSize();
    for (const StreamTotals &s : counts.streams)
        largest = std::max(largest, s.largestChunk);
    const std::size_t avih = out.beginChunk(fcc::avih);
    out.u32(timingOf(format.system).microSecPerFrame);
    out.u32(maxBytesPerSec(format));
    out.u32(0); // padding granularity
    out.u32(kAvifHasIndex | kAvifIsInterleaved | kAvifTrustCkType);
    out.u32(counts.firstRiffFrames);
    out.u32(0); // initial frames
    out.u32(static_cast<std::uint32_t>(StreamCount(format)));
    out.u32(largest + 8); // a whole chunk with its header
    out.u32(kWidth);
    out.u32(heightOf(format.system));
    out.zeros(16);
    out.endChunk(avih);

    writeVideoStream(out, format, dvInfo, counts);
    if (format.type == DvAviType::Type2)
        for (std::size_t a = 0; a < format.audio.size(); ++a)
            writeAudioStream(out, format, a, counts);

    const std::size_t odml = out.beginList(fcc::odml);
    const std::size_t dmlh = out.beginChunk(fcc::dmlh);
    out.u32(clamp32(counts.totalFrames));
    out.zeros(kDmlhSize - 4);
    out.endChunk(dmlh);
    out.endChunk(odml);

    out.endChunk(hdrl);
    return out.take();
}

std::vector<std::uint8_t> BuildStandardIndex(std::size_t stream, FourCC chunkId, std::uint64_t base,
                                             std::span<const StandardIndexEntry> entries)
{
    Bytes out;
    std::string id = "ix00";
    id[2] = static_cast<char>('0' + stream / 10 % 10);
    id[3] = static_cast<char>('0' + stream % 10);
    const std::size_t at = out.beginChunk(FourCC::fromString(id));
    out.u16(2); // longs per entry
    out.u8(0);
    out.u8(kIndexOfChunks);
    out.u32(static_cast<std::uint32_t>(entries.size()));
    out.fourcc(chunkId);
    out.u64(base);
    out.u32(0);
    for (const StandardIndexEntry &e : entries) {
        out.u32(e.offset);
        out.u32(e.size); // bit 31 clear: every DV frame and PCM chunk is a key frame
    }
    out.endChunk(at);
    return out.take();
}

std::vector<std::uint8_t> BuildIdx1(std::span<const Idx1Entry> entries)
{
    Bytes out;
    const std::size_t at = out.beginChunk(fcc::idx1);
    for (const Idx1Entry &e : entries) {
        out.fourcc(e.chunkId);
        out.u32(kAviifKeyFrame);
        out.u32(e.offset);
        out.u32(e.size);
    }
    out.endChunk(at);
    return out.take();
}

} // namespace camlog::media::avi
