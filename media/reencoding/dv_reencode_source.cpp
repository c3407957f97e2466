// The source of the re-encoding recipes: any video FFmpeg decodes, into a DV AVI file.
#include "media/reencoding/dv_reencode_source.h"
#include "media/pipeline/run_error.h"

#include "core/dv_frame.h"
#include "core/four_cc.h"
#include "media/audio/dv_audio.h"
#include "media/audio/dv_audio_injector.h"
#include "media/decoding/av_file_decoder.h"
#include "media/decoding/decoded_audio_converter.h"
#include "media/pipeline/bounded_queue.h"
#include "media/pipeline/dv_header_filter.h"
#include "media/pipeline/output_policy.h"
#include "media/reencoding/dv_encoder_workers.h"
#include "media/reencoding/dv_picture_stage.h"
#include "media/reencoding/dv_segment_packer.h"
#include "media/reencoding/dv_source_frames.h"
#include "media/reencoding/frame_rate_conversion.h"
#include "media/writing/dv_avi_writer.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace camlog::media {

namespace {

// Frames encoded while their sound has not been decoded yet (AVI files interleave the two
// loosely) wait here; past this many, a frame goes out with silence where its sound is late,
// so memory stays bounded on a file whose sound lies far from its pictures.
constexpr std::size_t kMaxFramesWaitingForSound = 100;
// Pictures on their way between two threads: enough that a stage that lost its core for a
// while (a busy machine) finds work waiting when it gets it back, few enough that a stop is
// quick and memory small (about 1 MB a picture).
constexpr std::size_t kPicturesInFlight = 8;

// The encoders: two, each on a thread (a picture takes longer to encode than to decode).
constexpr int kEncoderThreads = 2;

// One source picture and the output frames it fills.
struct PictureJob {
    AvFramePtr picture;
    std::shared_ptr<const SourceFrameData> source;
    std::int64_t count = 0;
};

struct WaitingFrame {
    std::vector<std::uint8_t> frame;
    std::shared_ptr<const SourceFrameData> source;
    std::int64_t repeat = 0; // 0 for the first frame that shows the picture
};

// The timecode of an output frame made from a source frame of the other system: the source's
// hours, minutes and seconds, its frames counted in the target's rate, and a repeated picture
// counting on from the frame it repeats.
core::TTimecode DerivedTimecode(const core::TTimecode &source, DvSystem sourceSystem, DvSystem targetSystem,
                                std::int64_t repeat)
{
    const int sourceRate = dvTimecodeFrames(sourceSystem);
    const int targetRate = dvTimecodeFrames(targetSystem);
    core::TTimecode out = source;
    const auto frames = static_cast<std::int64_t>(source.frames) * targetRate / sourceRate + repeat;
    out.frames = static_cast<std::uint8_t>(std::min<std::int64_t>(frames, targetRate - 1));
    return out;
}

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
    void stopStages();
    void decodeLoop(PipelineRun &run, bool &stopped);
    void onPicture(PipelineRun &run);
    void emitHeld(std::int64_t until);
    void onSound();
    void takeEncoded(EncodedFrame &encoded);
    // Writes the frames the encoders finished, in order; when `wait`, all that are to come.
    void takeEncodedFrames(bool wait);
    // Writes the waiting frames whose sound is there (all of them at the end of the stream).
    void writeReady(bool endOfStream);
    void writeFrame(WaitingFrame &waiting);
    void carryRecordingData(std::span<std::uint8_t> frame, const WaitingFrame &waiting) const;
    std::size_t samplesFor(std::uint64_t frame) const
    {
        return DvAudioSamplesForFrame(m_plan.audioRate, m_plan.system, frame);
    }

    void startWorkers();
    void stopWorkers();
    void pictureThread();
    bool sendPicture(PictureJob &job, std::span<const core::PixelRect> changed);
    bool packPicture(PictureJob &job, const std::vector<bool> &touched);
    bool flushPack();
    void workerFailed();
    void rethrowWorkerError();

    DvReencodePlan m_plan;
    std::unique_ptr<AvFileDecoder> m_decoder;
    std::unique_ptr<DvSourceFrames> m_sourceFrames;
    DvPictureFormat m_picture;
    std::unique_ptr<DvEncoderWorkers> m_encoders;
    // The picture thread's pack of touched segments, and the pictures in it in order. Only
    // for a DV source of the target's system: what the filters leave untouched keeps its own
    // coding, so it neither loses quality nor costs an encoding.
    std::unique_ptr<DvSegmentPacker> m_packer;
    std::vector<EncodeOutput> m_packed;
    std::unique_ptr<DvAviWriter> m_writer;
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

    // Sound: resampled stereo from m_soundStart on, in sample frames.
    std::unique_ptr<DecodedAudioConverter> m_audio;
    std::vector<std::int16_t> m_pcm;
    std::int64_t m_pcmStart = 0; // the sample number of m_pcm's first sample
    bool m_soundStarted = false;
    std::uint64_t m_written = 0;    // frames written
    std::int64_t m_soundCursor = 0; // the first sample of the next frame written
    std::deque<WaitingFrame> m_waiting;
    std::unique_ptr<DvAudioInjector> m_injector;

    // The threads: decoding → m_toPictures → picture stage → the encoders → writing on the
    // decoding thread.
    BoundedQueue<PictureJob> m_toPictures{kPicturesInFlight};
    std::thread m_pictureWorker;
    std::mutex m_errorMutex;
    std::exception_ptr m_workerError;
    bool m_stagesStopped = false;
};

void DvReencodeSource::Impl::start()
{
    m_audio = std::make_unique<DecodedAudioConverter>(m_plan.audioRate, 2);
    m_encoders =
        checked(DvEncoderWorkers::create(m_picture, kEncoderThreads, kPicturesInFlight, m_plan.interlacedScaling));
    if (m_sourceFrames && m_sourceFrames->system() == m_plan.system)
        m_packer = checked(DvSegmentPacker::create(m_picture));
    DvAviFormat format;
    format.type = m_plan.outputType;
    format.system = m_plan.system;
    format.wide = m_plan.wide;
    format.audio = {AviPcmFormat{static_cast<std::uint32_t>(m_plan.audioRate), 2}};
    auto created = DvAviWriter::create(m_plan.destination, format);
    if (!created)
        throw RunFailure(runError(created.error()));
    m_writer = std::move(created.value());
    const MediaFormat frames{m_plan.outputType == DvAviType::Type1 ? core::fcc::iavs : core::fcc::vids, core::fcc::dvsd,
                             frameDuration()};
    for (MediaStage *stage : m_plan.frameStages)
        if (!stage->StartStream(frames))
            failRun(RunErrorCode::Refused, "a stage refused the DV frames made from " + m_plan.source.string());
    // The frames' own audio (a DV source's, kept with its pictures) gives way to the sound of
    // the output's rate, 16-bit.
    m_injector = std::make_unique<DvAudioInjector>(m_plan.audioRate, 2);
    m_injector->setUseFrameAudio(false);
}

void DvReencodeSource::Impl::run(PipelineRun &run)
{
    const OutputPolicy policy(m_plan.destination);
    policy.conclude([&] { return reencode(run); }, [&] { checked(m_writer->finish()); },
                    [&] {
                        stopWorkers();
                        stopStages();
                        if (m_writer)
                            m_writer->discard();
                    });
}

RunOutcome DvReencodeSource::Impl::reencode(PipelineRun &run)
{
    bool stopped = false;
    start();
    m_sourceFrameDuration = std::llround(m_decoder->videoFrameDuration() * 1e7);
    startWorkers();
    decodeLoop(run, stopped);
    if (stopped)
        stopWorkers();
    // What is on its way is written: the encoder closes its queue once the pictures
    // before it are done.
    m_toPictures.close();
    takeEncodedFrames(true);
    stopWorkers();
    rethrowWorkerError();
    writeReady(true);
    stopStages();
    return stopped ? RunOutcome::Stopped : RunOutcome::Completed;
}

void DvReencodeSource::Impl::stopStages()
{
    if (m_stagesStopped)
        return;
    m_stagesStopped = true;
    for (MediaStage *stage : m_plan.frameStages)
        stage->StopStream();
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
        takeEncodedFrames(false);
    }
    if (!m_holding)
        failRun(RunErrorCode::DecodeFailed, m_plan.source.string() + ": no picture could be decoded");
    // The last picture lasts one source frame.
    emitHeld(OutputFramesBefore(m_lastTime + m_decoder->videoFrameDuration(), m_frameSeconds));
    if (m_soundStarted)
        checked(m_audio->flush(m_pcm));
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
        m_sourceFrames->read(std::llround(time / frameSeconds), *source, m_packer != nullptr);
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
    if (!m_toPictures.push(std::move(job))) {
        rethrowWorkerError();
        failRun(RunErrorCode::Failed, "the re-encoding stopped");
    }
}

void DvReencodeSource::Impl::onSound()
{
    const AVFrame &block = m_decoder->frame(DecodedKind::Audio);
    if (!m_soundStarted) {
        // The sound keeps its place against the pictures' clock: silence before a late start,
        // and what comes before the first picture is dropped.
        m_soundStarted = true;
        const double start = m_pictureNumber > 0 ? m_decoder->time(DecodedKind::Audio) - m_origin : 0.0;
        m_pcmStart = std::llround(start * m_plan.audioRate);
        if (m_pcmStart > m_soundCursor) {
            m_pcm.assign(static_cast<std::size_t>(m_pcmStart - m_soundCursor) * 2, 0);
            m_pcmStart = m_soundCursor;
        }
    }
    checked(m_audio->convert(block, m_pcm));
    writeReady(false);
}

void DvReencodeSource::Impl::takeEncodedFrames(bool wait)
{
    while (auto frames = m_encoders->pop(wait))
        for (EncodedFrame &encoded : *frames)
            takeEncoded(encoded);
}

void DvReencodeSource::Impl::takeEncoded(EncodedFrame &encoded)
{
    for (std::int64_t i = 0; i < encoded.count; ++i)
        m_waiting.push_back({i + 1 < encoded.count ? encoded.frame : std::move(encoded.frame), encoded.source, i});
    writeReady(false);
}

void DvReencodeSource::Impl::writeReady(bool endOfStream)
{
    while (!m_waiting.empty()) {
        const auto need = static_cast<std::int64_t>(samplesFor(m_written));
        const bool soundThere = m_pcmStart + static_cast<std::int64_t>(m_pcm.size() / 2) >= m_soundCursor + need;
        const bool soundAbsent = !m_decoder->hasAudio();
        if (!soundThere && !soundAbsent && !endOfStream && m_waiting.size() <= kMaxFramesWaitingForSound)
            return;
        writeFrame(m_waiting.front());
        m_waiting.pop_front();
    }
}

void DvReencodeSource::Impl::carryRecordingData(std::span<std::uint8_t> frame, const WaitingFrame &waiting) const
{
    const SourceFrameData *source = waiting.source.get();
    if (m_plan.headerFilter == nullptr || source == nullptr || source->sequences == 0)
        return;
    m_plan.headerFilter->Transform(frame, std::span<const core::DifHeaderArea>(
                                              source->headers.data(), static_cast<std::size_t>(source->sequences)));
    const int nseq = dvSequences(m_plan.system);
    const auto sourceSystem = dvSystemOfSequences(source->sequences);
    if (m_plan.headerFilter->CopyHeaders && sourceSystem && *sourceSystem != m_plan.system
        && source->picture.record.timecodeValid)
        core::WriteTimecode(
            frame, nseq,
            DerivedTimecode(source->picture.record.timecode, *sourceSystem, m_plan.system, waiting.repeat));
}

void DvReencodeSource::Impl::writeFrame(WaitingFrame &waiting)
{
    std::vector<std::uint8_t> &frame = waiting.frame;
    const std::size_t need = samplesFor(m_written);
    // Samples before the cursor belong to frames already written (with silence).
    if (m_pcmStart < m_soundCursor) {
        const auto drop = std::min<std::size_t>(m_pcm.size(), static_cast<std::size_t>(m_soundCursor - m_pcmStart) * 2);
        m_pcm.erase(m_pcm.begin(), m_pcm.begin() + static_cast<std::ptrdiff_t>(drop));
        m_pcmStart += static_cast<std::int64_t>(drop / 2);
        if (m_pcm.empty())
            m_pcmStart = m_soundCursor;
    }
    const std::size_t have = std::min(need * 2, m_pcm.size());
    m_injector->push(0, {m_pcm.data(), have});
    m_pcm.erase(m_pcm.begin(), m_pcm.begin() + static_cast<std::ptrdiff_t>(have));
    m_pcmStart += static_cast<std::int64_t>(have / 2);
    m_soundCursor += static_cast<std::int64_t>(need);
    // What the sound lacks (it ended, or is late past the bound) is silence.
    checked(m_injector->joinNext(frame));
    carryRecordingData(frame, waiting);

    MediaSample sample{frame, static_cast<std::int64_t>(m_written), static_cast<std::int64_t>(m_written) + 1,
                       static_cast<std::int64_t>(m_written) * frameDuration(),
                       static_cast<std::int64_t>(m_written + 1) * frameDuration()};
    for (MediaStage *stage : m_plan.frameStages)
        stage->Receive(sample);
    checked(m_writer->writeFrame(frame));
    if (m_plan.outputType == DvAviType::Type2)
        checked(
            m_writer->writeAudio({reinterpret_cast<const std::uint8_t *>(m_injector->lastJoined(0).data()), need * 4}));
    ++m_written;
}

void DvReencodeSource::Impl::startWorkers()
{
    m_pictureWorker = std::thread([this] { pictureThread(); });
}

// Drops what is on its way and joins the threads (at most one picture each to finish).
void DvReencodeSource::Impl::stopWorkers()
{
    m_toPictures.abort();
    if (m_encoders)
        m_encoders->abort();
    if (m_pictureWorker.joinable())
        m_pictureWorker.join();
    if (m_encoders)
        m_encoders->join();
}

void DvReencodeSource::Impl::workerFailed()
{
    {
        std::lock_guard lock(m_errorMutex);
        if (!m_workerError)
            m_workerError = std::current_exception();
    }
    m_toPictures.abort();
    m_encoders->abort();
}

void DvReencodeSource::Impl::rethrowWorkerError()
{
    std::exception_ptr error;
    {
        std::lock_guard lock(m_errorMutex);
        error = m_workerError;
    }
    if (!error && m_encoders)
        error = m_encoders->error();
    if (error)
        std::rethrow_exception(error);
}

void DvReencodeSource::Impl::pictureThread()
{
    try {
        bool started = false;
        while (auto job = m_toPictures.pop()) {
            AVFrame &picture = *job->picture;
            if (!started) {
                for (PictureFilter *filter : m_plan.pictureFilters)
                    if (!filter->StartPictures(picture.width, picture.height,
                                               static_cast<AVPixelFormat>(picture.format), m_sourceFrameDuration))
                        failRun(RunErrorCode::Refused,
                                "a picture filter refused the pictures of " + m_plan.source.string());
                started = true;
            }
            if (!m_plan.pictureFilters.empty() && av_frame_make_writable(&picture) < 0)
                failRun(RunErrorCode::Failed, "out of memory for a picture");
            std::vector<core::PixelRect> changed;
            for (PictureFilter *filter : m_plan.pictureFilters)
                changed.push_back(filter->FilterPicture(picture, job->source->picture));
            if (m_sourceFrames) {
                // The shape the DV frame says, whatever the decoder made of it.
                const bool wide = job->source->sequences > 0 ? job->source->picture.record.widePicture : m_plan.wide;
                picture.sample_aspect_ratio = DvPictureFormat{m_sourceFrames->system(), wide}.pixelAspect();
            }
            if (!sendPicture(*job, changed)) {
                // The encoders stopped: the decoding must not wait for this thread.
                m_toPictures.abort();
                return;
            }
        }
        if (flushPack())
            m_encoders->close();
        else
            m_toPictures.abort();
    } catch (...) {
        workerFailed();
    }
}

// Sends the picture to the encoders: scaled into the DV picture (a picture already in the DV
// format as it is), or, when the source frame's video is kept where no filter changed the
// picture, only its touched segments, in the pack. False when the encoders stopped.
bool DvReencodeSource::Impl::sendPicture(PictureJob &job, std::span<const core::PixelRect> changed)
{
    const SourceFrameData &source = *job.source;
    const int nseq = dvSequences(m_plan.system);
    const bool asItIs = m_picture.takesAsItIs(*job.picture);
    if (m_packer && source.sequences == nseq && !source.frame.empty() && asItIs) {
        const std::vector<bool> touched = core::DvSegmentsMeeting(nseq, changed);
        if (std::find(touched.begin(), touched.end(), false) != touched.end())
            return packPicture(job, touched);
    }
    if (!flushPack())
        return false;
    return m_encoders->push({std::move(job.picture), !asItIs, {{std::move(job.source), job.count, true, {}}}, nullptr});
}

// Puts the picture's touched segments into the pack, sending the pack on first when they do
// not fit; a picture with none touched is its source frame as it was.
bool DvReencodeSource::Impl::packPicture(PictureJob &job, const std::vector<bool> &touched)
{
    const bool any = std::find(touched.begin(), touched.end(), true) != touched.end();
    const AVFrame *picture = any ? job.picture.get() : nullptr;
    EncodeOutput output{std::move(job.source), job.count, false, {}};
    if (!m_packer->add(picture, touched, output.placed)) {
        if (!flushPack())
            return false;
        m_packer->add(picture, touched, output.placed);
    }
    m_packed.push_back(std::move(output));
    return true;
}

// Sends the pack to the encoders with the pictures in it; an empty pack is nothing to encode.
bool DvReencodeSource::Impl::flushPack()
{
    if (m_packed.empty())
        return true;
    EncodeJob job{nullptr, false, std::move(m_packed), nullptr};
    m_packed.clear();
    if (!m_packer->empty()) {
        job.picture = m_packer->takePicture();
        if (!job.picture)
            failRun(RunErrorCode::Failed, "out of memory for a picture");
        job.recycle = [this](AvFramePtr picture) {
            m_packer->recyclePicture(std::move(picture));
        };
    }
    return m_encoders->push(std::move(job));
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
