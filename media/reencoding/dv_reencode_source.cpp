// The source of the re-encoding recipes: any video FFmpeg decodes, into a DV AVI file.
#include "media/reencoding/dv_reencode_source.h"
#include "media/pipeline/run_error.h"

#include "core/dv_frame.h"
#include "media/audio/dv_audio.h"
#include "media/decoding/av_file_decoder.h"
#include "media/decoding/decoded_audio_converter.h"
#include "media/pipeline/output_policy.h"
#include "media/reencoding/dv_avi_sink.h"
#include "media/reencoding/dv_encoder_workers.h"
#include "media/reencoding/dv_picture_stage.h"
#include "media/reencoding/dv_picture_worker.h"
#include "media/reencoding/dv_segment_packer.h"
#include "media/reencoding/dv_source_frames.h"
#include "media/reencoding/frame_rate_conversion.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace camlog::media {

namespace {

// Pictures on their way between two threads: enough that a stage that lost its core for a
// while (a busy machine) finds work waiting when it gets it back, few enough that a stop is
// quick and memory small (about 1 MB a picture).
constexpr std::size_t kPicturesInFlight = 8;

// The encoders: two, each on a thread (a picture takes longer to encode than to decode).
constexpr int kEncoderThreads = 2;

} // namespace

class DvReencodeSource::Impl {
public:
    Impl(const DvReencodePlan &plan, std::unique_ptr<AvFileDecoder> decoder, std::unique_ptr<DvSourceFrames> frames)
        : m_plan(plan),
          m_decoder(std::move(decoder)),
          m_sourceFrames(std::move(frames)),
          m_picture{plan.system, plan.wide}
    {
        m_frameSeconds = dvFrameSeconds(plan.system);
    }

    void run(PipelineRun &run);
    std::int64_t frameDuration() const { return std::llround(m_frameSeconds * 1e7); }
    std::int64_t duration() const { return std::llround(m_decoder->duration() * 1e7); }
    bool setAudioRate(int rate)
    {
        if (DvAudioSamplesForFrame(rate, m_plan.system, 0) == 0)
            return false;
        m_plan.audioRate = rate;
        return true;
    }
    int sourceAudioRate() const { return m_decoder->hasAudio() ? m_decoder->audioContext().sample_rate : 0; }
    bool sourceIsDv() const { return m_sourceFrames != nullptr; }

private:
    void start();
    RunOutcome reencode(PipelineRun &run);
    void decodeLoop(PipelineRun &run, bool &stopped);
    void onPicture(PipelineRun &run);
    void emitHeld(std::int64_t until);
    void onSound();
    void sendSound();
    void endSound();

    void startWorkers();
    void stopWorkers();
    void rethrowWorkerError();
    [[noreturn]] void lineStopped();

    DvReencodePlan m_plan;
    std::unique_ptr<AvFileDecoder> m_decoder;
    std::unique_ptr<DvSourceFrames> m_sourceFrames;
    DvPictureFormat m_picture;
    // The end of the line; the encoders push into it, so it outlives them.
    std::unique_ptr<DvAviSink> m_sink;
    std::unique_ptr<DvEncoderWorkers> m_encoders;
    // The picture stage; it pushes into the encoders.
    std::unique_ptr<DvPictureWorker> m_pictures;
    // A DV source of the target's system: the source frames are read whole, so that what the
    // filters leave untouched keeps its own coding.
    bool m_keepsSegments = false;
    double m_frameSeconds;

    // The picture shown until the next one starts, and the clock's origin.
    AvFramePtr m_held{av_frame_alloc()};
    std::shared_ptr<const SourceFrameData> m_heldSource;
    bool m_holding = false;                 // a picture came
    bool m_heldReady = false;               // m_held holds a picture not yet sent on
    std::int64_t m_sourceFrameDuration = 0; // 100-ns units per source picture
    double m_origin = 0.0;
    double m_lastTime = 0.0;
    std::int64_t m_framesOut = 0; // output frames sent to the picture thread
    std::int64_t m_pictureNumber = 0;

    // Sound: resampled to the output's rate, stereo, on its way to the sink.
    std::unique_ptr<DecodedAudioConverter> m_audio;
    std::vector<std::int16_t> m_pcm;
    bool m_soundStarted = false;
    bool m_soundEnded = false;
};

void DvReencodeSource::Impl::start()
{
    m_audio = std::make_unique<DecodedAudioConverter>(m_plan.audioRate, 2);
    DvAviSink *sink = m_sink.get();
    m_encoders = checked(DvEncoderWorkers::create(
        m_picture, kEncoderThreads, kPicturesInFlight, m_plan.interlacedScaling,
        [sink](std::vector<EncodedFrame> frames) { return sink->pushFrames(std::move(frames)); }));
    if (!m_decoder->hasAudio())
        endSound(); // the pictures never wait: they all get silence
}

void DvReencodeSource::Impl::run(PipelineRun &run)
{
    m_sink = DvAviSink::start({m_plan.destination, m_plan.outputType, m_plan.system, m_plan.wide, m_plan.audioRate,
                               m_plan.frameStages, m_plan.headerFilter});
    m_sink->policy().conclude([&] { return reencode(run); }, [&] { m_sink->finish(); },
                              [&] {
                                  stopWorkers();
                                  m_sink->discard();
                              });
}

RunOutcome DvReencodeSource::Impl::reencode(PipelineRun &run)
{
    bool stopped = false;
    start();
    m_sourceFrameDuration = std::llround(m_decoder->videoFrameDuration() * 1e7);
    startWorkers();
    decodeLoop(run, stopped);
    endSound();
    if (stopped) {
        stopWorkers(); // what is on its way is dropped; what reached the sink is written
    } else {
        // Every picture goes through: the encoders end once the pictures before them are done.
        m_pictures->close();
        m_pictures->join();
        m_encoders->join();
    }
    rethrowWorkerError();
    m_sink->endPictures();
    m_sink->join();
    return stopped ? RunOutcome::Stopped : RunOutcome::Completed;
}

void DvReencodeSource::Impl::decodeLoop(PipelineRun &run, bool &stopped)
{
    for (;;) {
        if (run.stopRequested()) {
            stopped = true;
            return;
        }
        const DecodedKind kind = checked(m_decoder->next());
        if (kind == DecodedKind::End)
            break;
        if (kind == DecodedKind::Video)
            onPicture(run);
        else
            onSound();
        rethrowWorkerError();
    }
    if (!m_holding)
        failRun(RunErrorCode::DecodeFailed, m_plan.source.string() + ": no picture could be decoded");
    // The last picture lasts one source frame.
    emitHeld(OutputFramesBefore(m_lastTime + m_decoder->videoFrameDuration(), m_frameSeconds));
    if (m_soundStarted) {
        checked(m_audio->flush(m_pcm));
        sendSound();
    }
}

void DvReencodeSource::Impl::onPicture(PipelineRun &run)
{
    const double time = m_decoder->time(DecodedKind::Video);
    if (!m_holding)
        m_origin = time;
    else
        emitHeld(OutputFramesBefore(time - m_origin, m_frameSeconds));
    m_lastTime = std::max(m_lastTime, time - m_origin);
    av_frame_unref(m_held.get());
    av_frame_move_ref(m_held.get(), const_cast<AVFrame *>(&m_decoder->frame(DecodedKind::Video)));
    auto source = std::make_shared<SourceFrameData>();
    if (m_sourceFrames) {
        // DV pictures carry their frame number as their time in frames.
        const double frameSeconds = m_decoder->videoFrameDuration();
        m_sourceFrames->read(std::llround(time / frameSeconds), *source, m_keepsSegments);
    } else {
        source->picture.frameNumber = m_pictureNumber;
        source->picture.record.frameNumber = static_cast<std::int32_t>(m_pictureNumber);
    }
    ++m_pictureNumber;
    m_heldSource = std::move(source);
    m_holding = true;
    m_heldReady = true;
    run.setPosition(std::llround((time - m_origin) * 1e7));
}

// The held picture fills the output frames up to `until`; a picture that fills none is never
// filtered, scaled nor encoded.
void DvReencodeSource::Impl::emitHeld(std::int64_t until)
{
    if (!m_heldReady || until <= m_framesOut)
        return;
    PictureJob job{AvFramePtr(av_frame_alloc()), m_heldSource, until - m_framesOut};
    if (!job.picture)
        failRun(RunErrorCode::Failed, "out of memory for a picture");
    av_frame_move_ref(job.picture.get(), m_held.get());
    m_heldReady = false;
    m_framesOut = until;
    if (!m_pictures->push(std::move(job)))
        lineStopped();
}

void DvReencodeSource::Impl::onSound()
{
    const AVFrame &block = m_decoder->frame(DecodedKind::Audio);
    if (!m_soundStarted) {
        // The sound keeps its place against the pictures' clock: what comes before the first
        // picture is dropped, a late start gets silence before it (the sink sees to both).
        m_soundStarted = true;
        const double start = m_pictureNumber > 0 ? m_decoder->time(DecodedKind::Audio) - m_origin : 0.0;
        if (!m_sink->placeSound(std::llround(start * m_plan.audioRate)))
            lineStopped();
    }
    checked(m_audio->convert(block, m_pcm));
    sendSound();
}

void DvReencodeSource::Impl::sendSound()
{
    if (m_pcm.empty())
        return;
    if (!m_sink->pushSound(std::move(m_pcm)))
        lineStopped();
    m_pcm.clear();
}

void DvReencodeSource::Impl::endSound()
{
    if (m_soundEnded)
        return;
    m_soundEnded = true;
    m_sink->endSound();
}

// A stage further down stopped taking what the decoding sends: its failure ends the run.
void DvReencodeSource::Impl::lineStopped()
{
    rethrowWorkerError();
    failRun(RunErrorCode::Failed, "the re-encoding stopped");
}

void DvReencodeSource::Impl::startWorkers()
{
    DvPictureWorkerPlan plan{m_plan.source, m_plan.pictureFilters, m_picture, std::nullopt, m_sourceFrameDuration};
    if (m_sourceFrames)
        plan.sourceSystem = m_sourceFrames->system();
    std::unique_ptr<DvSegmentPacker> packer;
    if (m_sourceFrames && m_sourceFrames->system() == m_plan.system)
        packer = checked(DvSegmentPacker::create(m_picture));
    m_keepsSegments = packer != nullptr;
    m_pictures = std::make_unique<DvPictureWorker>(std::move(plan), *m_encoders, std::move(packer), kPicturesInFlight);
}

// Drops what is on its way and joins the threads (at most one picture each to finish).
void DvReencodeSource::Impl::stopWorkers()
{
    if (m_pictures)
        m_pictures->abort();
    if (m_encoders)
        m_encoders->abort();
    if (m_pictures)
        m_pictures->join();
    if (m_encoders)
        m_encoders->join();
}

void DvReencodeSource::Impl::rethrowWorkerError()
{
    for (const std::exception_ptr &error :
         {m_pictures ? m_pictures->error() : nullptr, m_encoders ? m_encoders->error() : nullptr,
          m_sink ? m_sink->error() : nullptr})
        if (error)
            std::rethrow_exception(error);
}

DvReencodeSource::DvReencodeSource(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

DvReencodeSource::~DvReencodeSource() = default;

core::Expected<std::unique_ptr<DvReencodeSource>, ReencodeErrorCode> DvReencodeSource::open(const DvReencodePlan &plan)
{
    if (DvAudioSamplesForFrame(plan.audioRate, plan.system, 0) == 0)
        return ReencodeError{ReencodeErrorCode::AudioFailed,
                             "DV frames cannot carry sound at " + std::to_string(plan.audioRate) + " Hz"};
    auto decoder = AvFileDecoder::open(plan.source, {true, true});
    if (!decoder)
        return decoder.error();
    if (!decoder.value()->hasVideo())
        return ReencodeError{ReencodeErrorCode::NoStream, plan.source.string() + ": has no picture"};
    std::unique_ptr<DvSourceFrames> frames;
    if (decoder.value()->videoContext().codec_id == AV_CODEC_ID_DVVIDEO)
        frames = DvSourceFrames::open(plan.source);
    return std::unique_ptr<DvReencodeSource>(
        new DvReencodeSource(std::make_unique<Impl>(plan, std::move(decoder.value()), std::move(frames))));
}

std::int64_t DvReencodeSource::Duration() const
{
    return m_impl->duration();
}

std::int64_t DvReencodeSource::FrameDuration() const
{
    return m_impl->frameDuration();
}

bool DvReencodeSource::SetAudioRate(int rate)
{
    return m_impl->setAudioRate(rate);
}

int DvReencodeSource::SourceAudioRate() const
{
    return m_impl->sourceAudioRate();
}

bool DvReencodeSource::SourceIsDv() const
{
    return m_impl->sourceIsDv();
}

void DvReencodeSource::Run(PipelineRun &run)
{
    m_impl->run(run);
}

} // namespace camlog::media
