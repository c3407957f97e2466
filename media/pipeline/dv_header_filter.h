// The DV header filter: rewrites the recording data inside DV frames, never the picture or sound.
#pragma once

#include "core/dv_pack_transfer.h"
#include "media/pipeline/media_stage.h"

namespace camlog::scenes {
class Tdv_sceneDetect;
}

namespace camlog::media {

// Per frame, in this order: puts back the header, subcode and VAUX blocks that the scene
// detector saved from the source frame (CopyHeaders), shifts the recording date and time by
// TimeShift days, and marks the picture 16:9 or 4:3 (AspectRewrite / Wide). Samples that are
// not whole DV frames pass unchanged.
class Tdv_DVheader : public MediaStage {
public:
    // The detector stands upstream on the same video path; its SavedHeaders belong to the
    // source frame of the sample in hand.
    explicit Tdv_DVheader(const scenes::Tdv_sceneDetect &sceneDetect);

    // Interleaved DV ("iavs", any subtype) or DV video ("vids" / "dvsd").
    static bool AcceptsMediaType(core::FourCC majorType, core::FourCC subtype);

    bool StartStream(const MediaFormat &format) override;
    void Receive(MediaSample &sample) override;
    void StopStream() override {}

    // The frame itself, for callers without a pipeline around it.
    void Transform(std::span<std::uint8_t> frame) const;
    // The same with the blocks of the source frame given (its first 480 bytes per DIF
    // sequence, `sourceSequences` of them), for pipelines whose frames do not pass the
    // detector one by one. A source of the same system has its blocks copied whole; one of
    // the other system gives its recording packs only, so the frame keeps the marks of its
    // own system (core::CopyRecordingPacksAcrossSystems).
    void Transform(std::span<std::uint8_t> frame, std::span<const core::DifHeaderArea> source) const;

    void SetTimeShift(double days) { m_timeShift = days; }
    double TimeShift() const { return m_timeShift; }
    // The settings every build starts from.
    void ResetDefaults();

    bool CopyHeaders = true;
    bool AspectRewrite = false;
    bool Wide = false;

private:
    void shiftDatecode(std::span<std::uint8_t> frame, int nseq) const;

    const scenes::Tdv_sceneDetect &m_sceneDetect;
    double m_timeShift = 0.0;
};

} // namespace camlog::media
