// The DV header filter: rewrites the recording data inside DV frames, never the picture or sound.
#include "media/pipeline/dv_header_filter.h"

#include "core/dv_frame.h"
#include "scenes/dv_scene_detect.h"

#include <algorithm>

namespace camlog::media {

Tdv_DVheader::Tdv_DVheader(const scenes::Tdv_sceneDetect &sceneDetect) : m_sceneDetect(sceneDetect) {}

bool Tdv_DVheader::AcceptsMediaType(core::FourCC majorType, core::FourCC subtype)
{
    return scenes::Tdv_sceneDetect::AcceptsMediaType(majorType, subtype);
}

bool Tdv_DVheader::StartStream(const MediaFormat &format)
{
    return AcceptsMediaType(format.majorType, format.subtype);
}

void Tdv_DVheader::Receive(MediaSample &sample)
{
    Transform(sample.data);
}

void Tdv_DVheader::ResetDefaults()
{
    CopyHeaders = true;
    m_timeShift = 0.0;
    AspectRewrite = false;
    Wide = false;
}

void Tdv_DVheader::Transform(std::span<std::uint8_t> frame) const
{
    // Sequences the detector never saw keep what their slot holds: blocks of an earlier frame
    // with as many sequences, or zeros.
    const auto &saved = m_sceneDetect.SavedHeaders();
    const int nseq = core::SequencesForFrameSize(frame.size());
    Transform(frame, std::span<const core::DifHeaderArea>(saved.data(), static_cast<std::size_t>(std::max(nseq, 0))));
}

void Tdv_DVheader::Transform(std::span<std::uint8_t> frame, std::span<const core::DifHeaderArea> source) const
{
    const int nseq = core::SequencesForFrameSize(frame.size());
    if (nseq == 0)
        return;
    if (CopyHeaders) {
        if (source.size() == static_cast<std::size_t>(nseq)) {
            for (int s = 0; s < nseq; ++s)
                std::copy(source[static_cast<std::size_t>(s)].begin(), source[static_cast<std::size_t>(s)].end(),
                          frame.begin() + static_cast<std::ptrdiff_t>(s * core::kDifSequenceSize));
        } else {
            core::CopyRecordingPacksAcrossSystems(frame, nseq, source);
        }
    }
    if (m_timeShift != 0.0)
        shiftDatecode(frame, nseq);
    if (AspectRewrite)
        core::SetAspect16x9(frame, nseq, Wide);
}

void Tdv_DVheader::shiftDatecode(std::span<std::uint8_t> frame, int nseq) const
{
    core::TDatecode recorded;
    if (!core::ReadDatecode(frame, nseq, recorded))
        return;
    const auto value = core::DatecodeToDateTime(recorded);
    if (!value)
        return;
    const core::TDatecode shifted = core::DateTimeToDatecode(*value + core::DateTime::fromDays(m_timeShift));
    // A sum outside the calendar comes back as a zero record: leave the frame as it was.
    if (shifted.year == 0)
        return;
    core::WriteDatecode(frame, nseq, shifted);
}

} // namespace camlog::media
