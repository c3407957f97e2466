// The frames of a DV file for scene details without a window: datecode, timecode and picture decoded from the file.
#pragma once

#include "core/expected.h"
#include "media/reading/dv_frame_reader.h"
#include "scenes/frame_record.h"
#include "scenes/frame_source.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

namespace camlog::media {

enum class FrameSourceErrorCode {
    NotFound,   // no such file
    Unreadable, // the file exists but cannot be opened or read
    NotDv,      // no DV frames: neither a DV AVI nor a raw DV file
    NoDecoder,  // the FFmpeg libraries have no DV video decoder
};
using FrameSourceError = core::Error<FrameSourceErrorCode>;

// Reads frames by index with DvFrameReader, takes the datecode and timecode from the frame's
// packs and decodes the picture with FFmpeg's DV decoder into 24-bit BGR at the frame's size
// (720 x 576 or 720 x 480). One instance belongs to one thread.
class HeadlessFrameSource : public scenes::FrameSource {
public:
    static core::Expected<std::unique_ptr<HeadlessFrameSource>, FrameSourceErrorCode>
    open(const std::filesystem::path &path);

    ~HeadlessFrameSource() override;
    HeadlessFrameSource(const HeadlessFrameSource &) = delete;
    HeadlessFrameSource &operator=(const HeadlessFrameSource &) = delete;

    std::size_t frameCount() const { return m_reader->frameCount(); }

    // False for an index outside the file, a frame that cannot be read or is no DV frame, and
    // (when withPicture) a picture that cannot be decoded.
    bool frameAt(std::int64_t frameIndex, scenes::FrameInfo &out, bool withPicture) override;

private:
    struct Decoder;
    HeadlessFrameSource(std::unique_ptr<DvFrameReader> reader, std::unique_ptr<Decoder> decoder);
    bool decodePicture(scenes::BgrPicture &out);

    std::unique_ptr<DvFrameReader> m_reader;
    std::unique_ptr<Decoder> m_decoder;
    std::vector<std::uint8_t> m_frame;
    scenes::FrameRecord m_record;
};

} // namespace camlog::media
