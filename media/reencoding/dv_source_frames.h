// The DV frames behind the pictures of a DV source being re-encoded: for each picture, the
// record of its frame and the header, subcode and VAUX blocks of every DIF sequence, so that
// the output frames that show the picture can carry the camera's data.
#pragma once

#include "media/pipeline/picture_filter.h"
#include "media/reading/dv_format.h"
#include "media/reading/dv_frame_reader.h"
#include "scenes/dv_scene_detect.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <vector>

namespace camlog::media {

struct SourceFrameData {
    SourcePicture picture;
    // 10 or 12 when the frame was read; 0 when it could not be (nothing to carry over).
    int sequences = 0;
    scenes::Tdv_sceneDetect::SavedHeaderArray headers{};
    // The whole frame, when it was asked for and could be read (its video segments that no
    // filter touched go into the output as they are).
    std::vector<std::uint8_t> frame;
};

// Not thread-safe: frames are read in picture order on the decoding thread, each record
// carrying on the format of the frames before it as the scene detection does.
class DvSourceFrames {
public:
    // Nothing when the file holds no DV stream (the source is another codec).
    static std::unique_ptr<DvSourceFrames> open(const std::filesystem::path &path);

    // The data of frame `index` (from 0), with the whole frame when `wholeFrame`. A frame that
    // cannot be read, or lies past the end, gives no sequences and a record without datecode
    // or timecode.
    void read(std::int64_t index, SourceFrameData &out, bool wholeFrame = false);

    std::size_t frameCount() const { return m_reader->frameCount(); }
    DvSystem system() const { return m_system; }
    // The aspect of the first frame.
    bool wide() const { return m_wide; }

private:
    explicit DvSourceFrames(std::unique_ptr<DvFrameReader> reader);

    std::unique_ptr<DvFrameReader> m_reader;
    std::vector<std::uint8_t> m_frame;
    scenes::FrameRecord m_record;
    DvSystem m_system = DvSystem::Pal;
    bool m_wide = false;
};

} // namespace camlog::media
