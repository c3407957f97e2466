// The DV frames behind the pictures of a DV source being re-encoded.
#include "media/reencoding/dv_source_frames.h"

#include "core/dv_frame.h"

#include <algorithm>

namespace camlog::media {

DvSourceFrames::DvSourceFrames(std::unique_ptr<DvFrameReader> reader) : m_reader(std::move(reader)) {}

std::unique_ptr<DvSourceFrames> DvSourceFrames::open(const std::filesystem::path &path)
{
    auto reader = DvFrameReader::open(path);
    if (!reader || reader.value()->frameCount() == 0)
        return nullptr;
    std::unique_ptr<DvSourceFrames> frames(new DvSourceFrames(std::move(reader.value())));
    const int nseq = core::SequencesForFrameSize(frames->m_reader->frame(0).size);
    if (nseq == 0)
        return nullptr;
    frames->m_system = dvSystemOfSequences(nseq).value_or(DvSystem::Pal);
    if (frames->m_reader->readFrame(0, frames->m_frame))
        core::ReadIs16x9(frames->m_frame, nseq, frames->m_wide);
    return frames;
}

void DvSourceFrames::read(std::int64_t index, SourceFrameData &out, bool wholeFrame)
{
    out.picture.frameNumber = index;
    out.sequences = 0;
    std::vector<std::uint8_t> &frame = wholeFrame ? out.frame : m_frame;
    const int nseq = index < 0 ? 0 : core::SequencesForFrameSize(m_reader->frame(static_cast<std::size_t>(index)).size);
    if (nseq == 0 || !m_reader->readFrame(static_cast<std::size_t>(index), frame)) {
        out.frame.clear();
        m_record.datecodeValid = false;
        m_record.timecodeValid = false;
        m_record.datecode = {};
        m_record.timecode = {};
    } else {
        scenes::DecodeFrameRecord(frame, nseq, m_record);
        for (int s = 0; s < nseq; ++s)
            std::copy_n(frame.begin()
                            + static_cast<std::ptrdiff_t>(core::kDifSequenceSize * static_cast<std::size_t>(s)),
                        core::kDifHeaderAreaSize, out.headers[static_cast<std::size_t>(s)].begin());
        out.sequences = nseq;
    }
    m_record.frameNumber = static_cast<std::int32_t>(index);
    out.picture.record = m_record;
}

} // namespace camlog::media
