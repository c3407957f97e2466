// Raw DV files (.dv, .dif): frames of one size, one after another, from the first byte.
#include "media/reading/avi_index_loader.h"

#include "core/dv_frame.h"

namespace camlog::media {

bool RawDvLoader::startsWithDifHeader(const std::uint8_t *head, std::size_t size)
{
    // Block id of the header block of sequence 0: section type 0 in the top three bits,
    // sequence number 0 in the top nibble of byte 1, block number 0. Byte 3 carries the
    // system flag (bit 7: 625/50) beside bits that are always 0x3F.
    return size >= 4 && (head[0] & 0xE0) == 0 && (head[1] & 0xF0) == 0 && head[2] == 0 && (head[3] & 0x7F) == 0x3F;
}

std::optional<ReadError> RawDvLoader::load(DvFrameReader &reader, const std::uint8_t *head, std::size_t size)
{
    StreamTable stream;
    stream.type = core::fcc::iavs;
    stream.handler = core::fcc::dvsd;
    if (reader.m_fileSize > 0) {
        // A name ending in .dv does not make a DV file: without a header block the frame
        // size is unknown and the content is probably something else.
        if (!startsWithDifHeader(head, size))
            return ReadError{ReadErrorCode::NotAvi, "no DIF header block at the start of this DV file"};
        const std::uint64_t frameSize = (head[3] & 0x80) != 0 ? core::kPalFrameSize : core::kNtscFrameSize;
        // A trailing partial frame (a capture cut short) is not a frame.
        const std::uint64_t count = reader.m_fileSize / frameSize;
        stream.samples.reserve(static_cast<std::size_t>(count));
        for (std::uint64_t i = 0; i < count; ++i)
            stream.samples.push_back({i * frameSize, static_cast<std::uint32_t>(frameSize)});
    }
    reader.m_streams.push_back(std::move(stream));
    reader.m_dvStream = 0;
    reader.m_container = ContainerKind::RawDv;
    reader.m_indexSource = IndexSource::FixedOffsets;
    return std::nullopt;
}

} // namespace camlog::media
