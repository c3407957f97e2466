// The processing module: the one processing pipeline, the program's own stages, and the recipes
// that build the pipeline for each graph command.
#pragma once

#include "media/inlay/inlay_filter.h"
#include "media/pipeline/caption_step.h"
#include "media/pipeline/dv_copy_source.h"
#include "media/pipeline/dv_header_filter.h"
#include "media/pipeline/media_stamper.h"
#include "media/pipeline/pipeline.h"
#include "media/pipeline/run_error.h"
#include "media/pipeline/scene_detect_contenu.h"
#include "media/reading/dv_format.h"
#include "scenes/dv_scene_detect.h"

#include <cstdint>
#include <memory>
#include <string>

namespace camlog::media {

class Tdv_deinter;
class DvReencodeSource;
class ShareCopySource;
struct ShareCopyPlan;

// Every build starts with ResetGraph: the previous run is stopped and dropped, the detector's
// callbacks are cleared and the DV header filter returns to its defaults; the caller sets the
// rest after a successful build. A build succeeds when the pipeline holds something to run;
// its error's kind NothingToDo means there is nothing to do for this file (no audio to
// extract), any other kind that the file could not be read or written.
// Builds and runs happen on one thread at a time (the engine's worker).
class TCdm {
public:
    TCdm();
    ~TCdm();
    TCdm(const TCdm &) = delete;
    TCdm &operator=(const TCdm &) = delete;

    Pipeline &fg() { return m_fg; }
    scenes::Tdv_sceneDetect &SceneDetect() { return m_sceneDetect; }
    Tdv_DVheader &DVheader() { return m_dvHeader; }
    Tdv_MediaStamper &MediaStamper() { return m_mediaStamper; }
    TSceneDetectContenu &SceneDetectContenu() { return m_sceneDetectContenu; }
    DatecodeCaptionStep &CaptionStep() { return m_captionStep; }
    Tdv_Superposer &Superposer() { return m_superposer; }

    void ResetGraph();

    // Type 1 to type 2: the DV frames unchanged into the video stream, each audio pair of the
    // frames into a PCM stream of its own.
    RunResult BuildConvertirDV2(const std::string &source, const std::string &destination);
    // Type 2 to type 1: the first audio stream joined into the DV frames.
    RunResult BuildConvertirDV1(const std::string &source, const std::string &destination);
    // A type 2 file whose DV came as an interleaved stream, written as a clean type 2 file.
    RunResult BuildCorrigerType2(const std::string &source, const std::string &destination);
    // The DV header filter on the DV stream; the output keeps the type and audio of the source.
    RunResult BuildDVheaderGraph(const std::string &source, const std::string &destination);
    // The detector on the fast datecode scan; the caller sets OnScene / OnFinished.
    RunResult BuildScnByDate(const std::string &source);
    // The same with the caption step; the caller sets OnCaption and the caption settings.
    RunResult BuildCreerSrt(const std::string &source);
    // Every picture of any video FFmpeg decodes through the media stamper into the content
    // detector; the caller sets OnCut / OnFinished.
    RunResult BuildScnByContenu(const std::string &source);
    // Any video FFmpeg decodes, re-encoded into a DV type 2 file of the given system, shape
    // (the frames marked by the DV header filter) and audio rate.
    RunResult BuildRecompresserDV2(const std::string &source, const std::string &destination, DvSystem system,
                                   bool wide, int audioRate);
    // A DV file re-encoded into the system `target`: type 1 gives type 1, type 2 gives type 2. The duration, the shape
    // and the sound rate stay the source's; every output frame carries the recording date and
    // time of the source frame it shows (through the DV header filter, whose TimeShift the
    // caller sets) and a timecode derived from the source's. With deinterlace, the pictures
    // go through the deinterlacer before scaling; without, they are scaled field by field.
    RunResult BuildNtscPal1(const std::string &source, const std::string &destination, DvSystem target,
                            bool deinterlace = true);
    RunResult BuildNtscPal2(const std::string &source, const std::string &destination, DvSystem target,
                            bool deinterlace = true);
    // A DV file re-encoded in its own system with
    // the inlay drawn on its pictures: type 1 gives type 1, type 2 gives type 2. Every output
    // frame carries the header, subcode and VAUX blocks of its source frame (the DV header
    // filter at its defaults); the sound and the shape stay the source's. The caller gives the
    // inlay filter its settings.
    RunResult BuildIncruster1(const std::string &source, const std::string &destination, DvSystem system);
    RunResult BuildIncruster2(const std::string &source, const std::string &destination, DvSystem system);
    // The first audio stream into a WAV file: DV sound as it lies in the file, the sound of any
    // other file FFmpeg reads decoded into 16-bit PCM.
    RunResult BuildExtraireAudio(const std::string &source, const std::string &destination);
    // One scene of a type 1 or type 2 file: the frames copied unchanged with their audio.
    // The caller restricts the run with fg().SetPositions.
    RunResult BuildCutScenes1(const std::string &source, const std::string &destination);
    RunResult BuildCutScenes2(const std::string &source, const std::string &destination);

    // A DV file made an MP4 share copy (the plan says which frames, the encoders' settings and
    // the subtitle lines).
    RunResult BuildShareCopy(const ShareCopyPlan &plan);
    // After a share copy's run: no frame had a datecode, the file's date was taken instead.
    bool ShareCopyUsedFileDate() const;

    // The audio converter's forced rate: the audio extraction, and the sound of the NTSC and
    // Pal conversions (a rate DV cannot carry is refused there). False when the current build
    // has no audio converter.
    bool SetAcmSampleRate(int rate);

    // The frame duration of the source of the last successful build (100-ns units).
    std::int64_t FrameDuration() const { return m_frameDuration; }

private:
    RunResult buildCopy(const std::string &source, const std::string &destination, DvAviType type, DvAudioRoute audio,
                        bool withHeaderFilter);
    RunResult buildReencodedDv(const std::string &source, const std::string &destination, DvSystem system,
                               PictureFilter *filter, DvAviType type);

    Pipeline m_fg;
    scenes::Tdv_sceneDetect m_sceneDetect;
    Tdv_DVheader m_dvHeader{m_sceneDetect};
    Tdv_MediaStamper m_mediaStamper;
    TSceneDetectContenu m_sceneDetectContenu{m_mediaStamper};
    DatecodeCaptionStep m_captionStep;
    std::int64_t m_frameDuration = 0;
    class AudioExtractSource *m_audioExtract = nullptr;
    class AvAudioExtractSource *m_avAudioExtract = nullptr;
    DvReencodeSource *m_reencode = nullptr;
    ShareCopySource *m_shareCopy = nullptr;
    std::unique_ptr<Tdv_deinter> m_deinter;
    Tdv_Superposer m_superposer;
};

} // namespace camlog::media
