// The processing module: the one processing pipeline, the program's own stages, and the recipes
// that build the pipeline for each graph command.
#pragma once

#include "media/caption_step.h"
#include "media/dv_avi_writer.h"
#include "media/dv_header_filter.h"
#include "media/inlay_filter.h"
#include "media/media_stamper.h"
#include "media/pipeline.h"
#include "media/scene_detect_contenu.h"
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
// rest after a successful build. A build returns true when the pipeline holds something to
// run. False with an empty BuildError means there is nothing to do for this file (no audio to
// extract); with a message, the file could not be read or written.
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
    const std::string &BuildError() const { return m_buildError; }

    // Type 1 to type 2: the DV frames unchanged into the video stream, each audio pair of the
    // frames into a PCM stream of its own.
    bool BuildConvertirDV2(const std::string &source, const std::string &destination);
    // Type 2 to type 1: the first audio stream joined into the DV frames.
    bool BuildConvertirDV1(const std::string &source, const std::string &destination);
    // A type 2 file whose DV came as an interleaved stream, written as a clean type 2 file.
    bool BuildCorrigerType2(const std::string &source, const std::string &destination);
    // The DV header filter on the DV stream; the output keeps the type and audio of the source.
    bool BuildDVheaderGraph(const std::string &source, const std::string &destination);
    // The detector on the fast datecode scan; the caller sets OnScene / OnFinished.
    bool BuildScnByDate(const std::string &source);
    // The same with the caption step; the caller sets OnCaption and the caption settings.
    bool BuildCreerSrt(const std::string &source);
    // Every picture of any video FFmpeg decodes through the media stamper into the content
    // detector; the caller sets OnCut / OnFinished.
    bool BuildScnByContenu(const std::string &source);
    // Any video FFmpeg decodes, re-encoded into a DV type 2 file of the given system, shape
    // (the frames marked by the DV header filter) and audio rate.
    bool BuildRecompresserDV2(const std::string &source, const std::string &destination, DvSystem system, bool wide,
                              int audioRate);
    // A DV file re-encoded into the other system (ntsc: 525/60 at 30000/1001 frames a second,
    // else 625/50 at 25): type 1 gives type 1, type 2 gives type 2. The duration, the shape
    // and the sound rate stay the source's; every output frame carries the recording date and
    // time of the source frame it shows (through the DV header filter, whose TimeShift the
    // caller sets) and a timecode derived from the source's. With deinterlace, the pictures
    // go through the deinterlacer before scaling; without, they are scaled field by field.
    bool BuildNtscPal1(const std::string &source, const std::string &destination, bool ntsc, bool deinterlace = true);
    bool BuildNtscPal2(const std::string &source, const std::string &destination, bool ntsc, bool deinterlace = true);
    // A DV file re-encoded in its own system (`system` 0: 625/50, any other value 525/60) with
    // the inlay drawn on its pictures: type 1 gives type 1, type 2 gives type 2. Every output
    // frame carries the header, subcode and VAUX blocks of its source frame (the DV header
    // filter at its defaults); the sound and the shape stay the source's. The caller gives the
    // inlay filter its settings.
    bool BuildIncruster1(const std::string &source, const std::string &destination, int system);
    bool BuildIncruster2(const std::string &source, const std::string &destination, int system);
    // The first audio stream into a WAV file: DV sound as it lies in the file, the sound of any
    // other file FFmpeg reads decoded into 16-bit PCM.
    bool BuildExtraireAudio(const std::string &source, const std::string &destination);
    // One scene of a type 1 or type 2 file: the frames copied unchanged with their audio.
    // The caller restricts the run with fg().SetPositions.
    bool BuildCutScenes1(const std::string &source, const std::string &destination);
    bool BuildCutScenes2(const std::string &source, const std::string &destination);

    // A DV file made an MP4 share copy (the plan says which frames, the encoders' settings and
    // the subtitle lines).
    bool BuildShareCopy(const ShareCopyPlan &plan);
    // After a share copy's run: no frame had a datecode, the file's date was taken instead.
    bool ShareCopyUsedFileDate() const;

    // The audio converter's forced rate: the audio extraction, and the sound of the NTSC and
    // Pal conversions (a rate DV cannot carry is refused there). False when the current build
    // has no audio converter.
    bool SetAcmSampleRate(int rate);

    // The frame duration of the source of the last successful build (100-ns units).
    std::int64_t FrameDuration() const { return m_frameDuration; }

private:
    bool buildCopy(const std::string &source, const std::string &destination, int type, int audioRoute,
                   bool withHeaderFilter);
    bool fail(std::string message);
    bool buildReencodedDv(const std::string &source, const std::string &destination, DvSystem system,
                          PictureFilter *filter, DvAviType type);

    Pipeline m_fg;
    scenes::Tdv_sceneDetect m_sceneDetect;
    Tdv_DVheader m_dvHeader{m_sceneDetect};
    Tdv_MediaStamper m_mediaStamper;
    TSceneDetectContenu m_sceneDetectContenu{m_mediaStamper};
    DatecodeCaptionStep m_captionStep;
    std::string m_buildError;
    std::int64_t m_frameDuration = 0;
    class AudioExtractSource *m_audioExtract = nullptr;
    class AvAudioExtractSource *m_avAudioExtract = nullptr;
    DvReencodeSource *m_reencode = nullptr;
    ShareCopySource *m_shareCopy = nullptr;
    std::unique_ptr<Tdv_deinter> m_deinter;
    Tdv_Superposer m_superposer;
};

} // namespace camlog::media
