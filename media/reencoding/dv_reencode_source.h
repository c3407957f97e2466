// The source of the re-encoding recipes: any video FFmpeg decodes, turned into a DV type 2
// AVI file of a chosen system, shape and audio rate.
#pragma once

#include "media/pipeline/media_stage.h"
#include "media/pipeline/picture_filter.h"
#include "media/pipeline/pipeline.h"
#include "media/pipeline/reencode_error.h"
#include "media/reading/dv_format.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace camlog::media {

class Tdv_DVheader;

struct DvReencodePlan {
    std::filesystem::path source;
    std::filesystem::path destination;
    DvSystem system = DvSystem::Pal;
    bool wide = false;     // 16:9, else 4:3
    int audioRate = 48000; // 48000, 44100 or 32000: the rates DV frames carry
    DvAviType outputType = DvAviType::Type2;
    // Applied in order, in place, to every decoded picture before it is scaled (deinterlacer,
    // inlay). They run on the picture thread, one picture at a time.
    std::vector<PictureFilter *> pictureFilters;
    // The picture is scaled field by field when its height changes, so that an interlaced
    // picture stays interlaced; off for pictures made progressive (deinterlaced) or for
    // sources that are not interlaced.
    bool interlacedScaling = false;
    // Applied in order, in place, to every encoded DV frame before it is written.
    std::vector<MediaStage *> frameStages;
    // DV sources: each output frame is handed to this filter with the header, subcode and
    // VAUX blocks of the source frame it shows (the camera's recording data). Between
    // systems, the timecode is then re-derived for the target's frame rate.
    const Tdv_DVheader *headerFilter = nullptr;
};

// One straight line of stages, each on a thread of its own, joined by small bounded queues so
// memory stays flat at any length: the decoding (this source, on the pipeline's thread, with
// FFmpeg's frame threads) → the picture stage (the picture filters, then keep-or-recode) →
// two DV encoders (each scaling its own pictures) → the DV AVI sink (DvAviSink: sound joined
// to the pictures, the camera's packs, the frame stages, the writer, what becomes of the
// file). The decoding sends the sound to the sink directly; nothing comes back up the line.
// The frame rate becomes the system's by repeating or dropping pictures on their presentation
// times, so the duration stays the source's; the sound follows the pictures' clock. A source
// without sound gets silence.
// A DV source of the target's system keeps its own coding wherever no filter changed the
// picture: only the video segments a filter touched are coded again (several pictures' worth
// in one encoding), and a picture no filter touched is its source frame as it was.
// A failure (unreadable, damaged or truncated source, full disk) removes the partial file and
// leaves an existing destination untouched. A stop finishes the file so that it plays to its
// last frame, unless it was to replace a file that existed when the run began: that file then
// stays as it was.
class DvReencodeSource : public PipelineSource {
public:
    // Opens the source; the error says what is wrong with it (unreadable, no picture, no
    // decoder, a sound rate DV cannot carry).
    static core::Expected<std::unique_ptr<DvReencodeSource>, ReencodeErrorCode> open(const DvReencodePlan &plan);
    ~DvReencodeSource() override;

    std::int64_t Duration() const override;
    void Run(PipelineRun &run) override;

    // 100-ns units per output frame.
    std::int64_t FrameDuration() const;
    // The sound rate of the output, before the run; false (and nothing changed) for a rate
    // DV frames cannot carry.
    bool SetAudioRate(int rate);
    // The source's sound rate (0 without sound).
    int SourceAudioRate() const;
    // Whether the source is DV (its frames' recording data can be carried over).
    bool SourceIsDv() const;

    class Impl;

private:
    explicit DvReencodeSource(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> m_impl;
};

} // namespace camlog::media
