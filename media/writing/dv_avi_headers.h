// The bytes of a DV AVI file's header list and indexes (hdrl with its OpenDML super indexes,
// ix## standard indexes, idx1), built from the format and the counts of what was written.
#pragma once

#include "core/four_cc.h"
#include "media/writing/dv_avi_writer.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace camlog::media::avi {

// Room reserved in each stream's super index: one entry per RIFF, so with RIFFs of 1 GB a
// file may grow to about 250 GB (some 20 hours of DV).
inline constexpr std::size_t kSuperIndexEntries = 256;

// The 32-byte DVINFO of an iavs stream: the AAUX source and control packs of both audio
// halves of the frame and its VAUX source and control packs (the four pack bytes after the
// pack id, first byte lowest). The system bit of the VAUX source follows `system` even when
// the frame has no such pack, since readers take PAL or NTSC from it.
std::array<std::uint8_t, 32> DvInfoFromFrame(std::span<const std::uint8_t> frame, DvSystem system);

// One super index entry: the position of an ix## chunk (its header), its whole size, and
// the stream time it covers (frames for video, sample frames for audio).
struct SuperIndexEntry {
    std::uint64_t offset = 0;
    std::uint32_t size = 0;
    std::uint32_t duration = 0;
};

struct StreamTotals {
    std::uint64_t length = 0;       // frames (video) or sample frames (audio)
    std::uint32_t largestChunk = 0; // largest chunk data written
    std::vector<SuperIndexEntry> superIndex;
};

struct HeaderCounts {
    std::uint32_t firstRiffFrames = 0;
    std::uint64_t totalFrames = 0;
    std::vector<StreamTotals> streams; // one per stream, video first
};

// The chunk id of a stream's data chunks: "00__" (type 1 iavs), "00dc" (DV video), "01wb"...
core::FourCC DataChunkId(DvAviType type, std::size_t stream);
std::size_t StreamCount(const DvAviFormat &format);

// The whole LIST 'hdrl' chunk. Its size depends on the format only, so the list written
// before the frames is overwritten in place by the final one.
std::vector<std::uint8_t> BuildHeaderList(const DvAviFormat &format, std::span<const std::uint8_t, 32> dvInfo,
                                          const HeaderCounts &counts);

// A standard index entry: the data position relative to the index's base, and its size.
struct StandardIndexEntry {
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
};
// The whole ix## chunk of one stream for one RIFF.
std::vector<std::uint8_t> BuildStandardIndex(std::size_t stream, core::FourCC chunkId, std::uint64_t base,
                                             std::span<const StandardIndexEntry> entries);
inline std::size_t StandardIndexSize(std::size_t entries)
{
    return 8 + 24 + 8 * entries;
}

// A legacy index entry: offsets count from the 'movi' list type.
struct Idx1Entry {
    core::FourCC chunkId;
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
};
std::vector<std::uint8_t> BuildIdx1(std::span<const Idx1Entry> entries);
inline std::size_t Idx1Size(std::size_t entries)
{
    return 8 + 16 * entries;
}

} // namespace camlog::media::avi
