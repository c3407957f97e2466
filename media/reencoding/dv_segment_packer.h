// Several pictures' worth of touched video segments coded in one run of the DV encoder.
#pragma once

#include "media/decoding/ffmpeg_owners.h"
#include "media/pipeline/reencode_error.h"
#include "media/reencoding/dv_picture_stage.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

namespace camlog::media {

// Where one touched segment of a picture went in the pack: segment `segment` of sequence
// `sequence` in the picture, of sequence `slot` in the pack.
struct SegmentPlacement {
    int sequence = 0;
    int segment = 0;
    int slot = 0;
};

// When only a small part of each picture changes (an inlay), the encoder would spend nearly
// all its time on segments whose coding is thrown away for the source's. A segment is coded
// on its own, and its five macroblocks keep their shapes when it moves to another sequence
// (same superblock columns, same place within the superblocks): so the touched segments of
// consecutive pictures are gathered in one pack picture, each in a free sequence for its
// segment number, and the pack is encoded once. Its coded segments then go into each
// picture's frame at their own places. The rest of the pack is flat grey, quick to code.
class DvSegmentPacker {
public:
    static core::Expected<std::unique_ptr<DvSegmentPacker>, ReencodeErrorCode> create(const DvPictureFormat &format);
    ~DvSegmentPacker();
    DvSegmentPacker(const DvSegmentPacker &) = delete;
    DvSegmentPacker &operator=(const DvSegmentPacker &) = delete;

    // Copies the macroblocks of the picture's touched segments (sequence × 27 + segment) into
    // free places of the pack and says where they went; false, with nothing placed, when they
    // do not all fit. An empty pack takes any picture; a picture with no segment touched needs
    // no picture at all (null).
    bool add(const AVFrame *picture, const std::vector<bool> &touched, std::vector<SegmentPlacement> &placed);
    bool empty() const { return m_used == 0; }
    // The pack picture to encode.
    const AVFrame &picture() const { return *m_pack; }
    // Grey again, every place free.
    void clear();
    // Hands the pack picture over (to be encoded on another thread) and goes on with an empty
    // pack in a picture given back by recyclePicture, or a new one; nothing when out of memory.
    AvFramePtr takePicture();
    // A picture taken earlier, for reuse; may be called from another thread.
    void recyclePicture(AvFramePtr picture);

    // Puts the coded segments of the pack (its encoded frame) into a frame at their pictures'
    // places: the data of each DIF block, its identification bytes left as they are.
    static void unpack(std::span<const std::uint8_t> packed, std::span<std::uint8_t> frame, int nseq,
                       std::span<const SegmentPlacement> placed);

private:
    explicit DvSegmentPacker(int nseq) : m_nseq(nseq) {}
    void copyMacroblocks(const AVFrame &picture, const SegmentPlacement &place);

    int m_nseq;
    DvPictureFormat m_format;
    AvFramePtr m_pack;
    std::mutex m_recycledMutex;
    std::vector<AvFramePtr> m_recycled;
    std::vector<bool> m_taken; // per slot × 27 + segment
    int m_used = 0;
    int m_shiftX = 0;
    int m_shiftY = 0;
};

} // namespace camlog::media
