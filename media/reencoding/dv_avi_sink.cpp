// The end of the re-encoding line: DV frames and their sound into a DV AVI file.
#include "media/reencoding/dv_avi_sink.h"

#include "core/dv_frame.h"
#include "core/four_cc.h"
#include "media/audio/dv_audio.h"
#include "media/audio/dv_audio_injector.h"
#include "media/pipeline/bounded_queue.h"
#include "media/pipeline/dv_header_filter.h"
#include "media/pipeline/run_error.h"
#include "media/pipeline/sound_interleaver.h"
#include "media/writing/dv_avi_writer.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <thread>

namespace camlog::media {

namespace {

// The longest the pictures wait for their sound: past it a picture goes with silence where its
// sound is late, so memory stays bounded on a file whose sound lies far from its pictures.
constexpr int kSoundWaitSeconds = 4;
// Messages on their way into the sink: frames from the encoders, blocks of sound.
constexpr std::size_t kInboxSize = 16;

// One output frame waiting for its sound.
struct WaitingFrame {
    std::vector<std::uint8_t> frame;
    std::shared_ptr<const SourceFrameData> source;
    std::int64_t repeat = 0; // 0 for the first frame that shows the picture
};

struct SinkMessage {
    enum class Kind { Frames, PlaceSound, Sound, SoundEnd, PicturesEnd } kind;
    std::vector<EncodedFrame> frames;
    std::vector<std::int16_t> sound;
    std::int64_t place = 0;
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

class DvAviSink::Impl {
public:
    explicit Impl(const DvAviSinkPlan &plan)
        : m_plan(plan),
          m_policy(plan.destination),
          m_injector(plan.audioRate, 2),
          m_interleaver(2, static_cast<std::int64_t>(plan.audioRate) * kSoundWaitSeconds)
    {
        // The frames' own audio (a DV source's, kept with its pictures) gives way to the sound
        // of the output's rate, 16-bit.
        m_injector.setUseFrameAudio(false);
    }

    ~Impl()
    {
        // Only finish() makes the file: an output dropped otherwise leaves the destination alone.
        if (m_writer && !m_finished)
            m_writer->discard();
    }

    void open();
    void startThread()
    {
        m_thread = std::thread([this] { loop(); });
    }
    bool send(SinkMessage message) { return m_inbox.push(std::move(message)); }
    void abort() { m_inbox.abort(); }
    void join();
    std::exception_ptr error() const
    {
        std::lock_guard lock(m_errorMutex);
        return m_error;
    }
    const OutputPolicy &policy() const { return m_policy; }
    void finish();
    void discard();

private:
    void loop();
    void take(SinkMessage &message);
    void writeReady();
    void writeFrame(WaitingFrame &waiting);
    void carryRecordingData(std::span<std::uint8_t> frame, const WaitingFrame &waiting) const;
    void stopStages();
    std::int64_t frameDuration() const { return dvFrameDuration(m_plan.system); }

    DvAviSinkPlan m_plan;
    OutputPolicy m_policy;
    std::unique_ptr<DvAviWriter> m_writer;
    DvAudioInjector m_injector;
    SoundInterleaver<WaitingFrame> m_interleaver;
    std::vector<std::int16_t> m_sound;
    std::uint64_t m_framesIn = 0; // frames handed to the interleaver
    std::uint64_t m_written = 0;
    bool m_soundEnded = false;
    bool m_picturesEnded = false;
    bool m_stagesStopped = false;
    bool m_finished = false;

    BoundedQueue<SinkMessage> m_inbox{kInboxSize};
    std::thread m_thread;
    mutable std::mutex m_errorMutex;
    std::exception_ptr m_error;
};

void DvAviSink::Impl::open()
{
    DvAviFormat format;
    format.type = m_plan.outputType;
    format.system = m_plan.system;
    format.wide = m_plan.wide;
    format.audio = {AviPcmFormat{static_cast<std::uint32_t>(m_plan.audioRate), 2}};
    m_writer = checked(DvAviWriter::create(m_plan.destination, format));
    const MediaFormat frames{m_plan.outputType == DvAviType::Type1 ? core::fcc::iavs : core::fcc::vids, core::fcc::dvsd,
                             frameDuration()};
    for (MediaStage *stage : m_plan.frameStages)
        if (!stage->StartStream(frames)) {
            discard();
            failRun(RunErrorCode::Refused, "a stage refused the DV frames made for " + m_plan.destination.string());
        }
}

void DvAviSink::Impl::loop()
{
    try {
        while (!(m_soundEnded && m_picturesEnded)) {
            auto message = m_inbox.pop();
            if (!message)
                return; // aborted
            take(*message);
            writeReady();
        }
        m_inbox.close(); // anything sent later is refused rather than left waiting
    } catch (...) {
        {
            std::lock_guard lock(m_errorMutex);
            m_error = std::current_exception();
        }
        m_inbox.abort();
    }
}

void DvAviSink::Impl::take(SinkMessage &message)
{
    switch (message.kind) {
    case SinkMessage::Kind::Frames:
        for (EncodedFrame &encoded : message.frames)
            for (std::int64_t i = 0; i < encoded.count; ++i) {
                const std::size_t due = DvAudioSamplesForFrame(m_plan.audioRate, m_plan.system, m_framesIn++);
                m_interleaver.addPicture(
                    {i + 1 < encoded.count ? encoded.frame : std::move(encoded.frame), encoded.source, i}, due);
            }
        break;
    case SinkMessage::Kind::PlaceSound:
        m_interleaver.placeSound(message.place);
        break;
    case SinkMessage::Kind::Sound:
        m_interleaver.addSound(message.sound);
        break;
    case SinkMessage::Kind::SoundEnd:
        m_soundEnded = true;
        m_interleaver.endSound();
        break;
    case SinkMessage::Kind::PicturesEnd:
        m_picturesEnded = true;
        break;
    }
}

void DvAviSink::Impl::writeReady()
{
    while (auto waiting = m_interleaver.next(m_sound))
        writeFrame(*waiting);
}

void DvAviSink::Impl::writeFrame(WaitingFrame &waiting)
{
    std::vector<std::uint8_t> &frame = waiting.frame;
    m_injector.push(0, m_sound);
    // What the sound lacks (it ended, or it is later than the sink waits) is silence.
    const std::size_t samples = checked(m_injector.joinNext(frame));
    carryRecordingData(frame, waiting);
    MediaSample sample{frame, static_cast<std::int64_t>(m_written), static_cast<std::int64_t>(m_written) + 1,
                       static_cast<std::int64_t>(m_written) * frameDuration(),
                       static_cast<std::int64_t>(m_written + 1) * frameDuration()};
    for (MediaStage *stage : m_plan.frameStages)
        stage->Receive(sample);
    checked(m_writer->writeFrame(frame));
    if (m_plan.outputType == DvAviType::Type2)
        checked(m_writer->writeAudio(
            {reinterpret_cast<const std::uint8_t *>(m_injector.lastJoined(0).data()), samples * 4}));
    ++m_written;
}

void DvAviSink::Impl::carryRecordingData(std::span<std::uint8_t> frame, const WaitingFrame &waiting) const
{
    const SourceFrameData *source = waiting.source.get();
    if (m_plan.headerFilter == nullptr || source == nullptr || source->sequences == 0)
        return;
    m_plan.headerFilter->Transform(frame, std::span<const core::DifHeaderArea>(
                                              source->headers.data(), static_cast<std::size_t>(source->sequences)));
    const auto sourceSystem = dvSystemOfSequences(source->sequences);
    if (m_plan.headerFilter->CopyHeaders && sourceSystem && *sourceSystem != m_plan.system
        && source->picture.record.timecodeValid)
        core::WriteTimecode(
            frame, dvSequences(m_plan.system),
            DerivedTimecode(source->picture.record.timecode, *sourceSystem, m_plan.system, waiting.repeat));
}

void DvAviSink::Impl::join()
{
    if (m_thread.joinable())
        m_thread.join();
    if (const std::exception_ptr failure = error())
        std::rethrow_exception(failure);
}

void DvAviSink::Impl::stopStages()
{
    if (m_stagesStopped)
        return;
    m_stagesStopped = true;
    for (MediaStage *stage : m_plan.frameStages)
        stage->StopStream();
}

void DvAviSink::Impl::finish()
{
    stopStages();
    m_finished = true;
    checked(m_writer->finish());
}

void DvAviSink::Impl::discard()
{
    m_inbox.abort();
    if (m_thread.joinable())
        m_thread.join();
    stopStages();
    if (m_writer)
        m_writer->discard();
}

DvAviSink::DvAviSink(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

DvAviSink::~DvAviSink()
{
    m_impl->abort();
    try {
        m_impl->join();
    } catch (...) {
        // The failure was handed on by join() or error() before; nothing to add here.
    }
}

std::unique_ptr<DvAviSink> DvAviSink::start(const DvAviSinkPlan &plan)
{
    auto impl = std::make_unique<Impl>(plan);
    impl->open();
    impl->startThread();
    return std::unique_ptr<DvAviSink>(new DvAviSink(std::move(impl)));
}

bool DvAviSink::pushFrames(std::vector<EncodedFrame> frames)
{
    return m_impl->send({SinkMessage::Kind::Frames, std::move(frames), {}, 0});
}

bool DvAviSink::placeSound(std::int64_t start)
{
    return m_impl->send({SinkMessage::Kind::PlaceSound, {}, {}, start});
}

bool DvAviSink::pushSound(std::vector<std::int16_t> samples)
{
    return m_impl->send({SinkMessage::Kind::Sound, {}, std::move(samples), 0});
}

void DvAviSink::endSound()
{
    m_impl->send({SinkMessage::Kind::SoundEnd, {}, {}, 0});
}

void DvAviSink::endPictures()
{
    m_impl->send({SinkMessage::Kind::PicturesEnd, {}, {}, 0});
}

void DvAviSink::abort()
{
    m_impl->abort();
}

void DvAviSink::join()
{
    m_impl->join();
}

std::exception_ptr DvAviSink::error() const
{
    return m_impl->error();
}

const OutputPolicy &DvAviSink::policy() const
{
    return m_impl->policy();
}

void DvAviSink::finish()
{
    m_impl->finish();
}

void DvAviSink::discard()
{
    m_impl->discard();
}

} // namespace camlog::media
