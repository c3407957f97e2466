// The source of the pass-through recipes: DV frames copied into a new DV AVI file, the picture
// never re-encoded, with the audio split out of the frames, passed on, or joined into them.
#include "media/pipeline/dv_copy_source.h"

#include "core/dv_frame.h"
#include "media/audio/audio_rate_converter.h"
#include "media/audio/dv_audio.h"
#include "media/audio/dv_audio_injector.h"
#include "media/audio/first_dv_audio.h"
#include "media/pipeline/dv_source_file.h"
#include "media/pipeline/output_policy.h"
#include "media/pipeline/run_error.h"
#include "media/writing/dv_avi_writer.h"

#include <algorithm>
#include <map>
#include <stdexcept>

namespace camlog::media {

namespace {

std::span<const std::uint8_t> asBytes(const std::vector<std::int16_t> &samples, std::size_t count)
{
    return {reinterpret_cast<const std::uint8_t *>(samples.data()), count * sizeof(std::int16_t)};
}

} // namespace

class DvCopySource::Impl {
public:
    Impl(const DvCopyPlan &plan, std::unique_ptr<DvSourceFile> file)
        : m_plan(plan),
          m_file(std::move(file)),
          m_last(m_file->frameCount())
    {
    }

    void setRange(std::int64_t start, std::int64_t stop)
    {
        const std::int64_t d = m_file->frameDuration;
        const auto count = static_cast<std::int64_t>(m_file->frameCount());
        m_first = static_cast<std::size_t>(std::clamp<std::int64_t>((start + d / 2) / d, 0, count));
        m_last = static_cast<std::size_t>(std::clamp<std::int64_t>((stop + d / 2) / d, 0, count));
    }

    void run(PipelineRun &run);
    DvSourceFile &file() { return *m_file; }

private:
    RunOutcome copyFrames(PipelineRun &run);
    void stopStages();
    void startWriter(std::span<const std::uint8_t> firstFrame);
    void splitAudio(std::span<const std::uint8_t> frame, std::size_t index);
    void passAudio(std::size_t index);
    void joinAudio(std::span<std::uint8_t> frame, std::size_t index);
    std::unique_ptr<DvAudioInjector> makeInjector(const DvSourceFile::Audio &stream) const;
    void writePcm(const std::vector<std::int16_t> &samples, std::size_t frames, int inputRate, std::size_t stream);
    void flushConverters();

    DvCopyPlan m_plan;
    std::unique_ptr<DvSourceFile> m_file;
    std::size_t m_first = 0;
    std::size_t m_last;
    std::unique_ptr<DvAviWriter> m_writer;
    std::vector<std::uint8_t> m_frame;
    std::vector<std::uint8_t> m_bytes;
    DvFrameAudio m_audio;
    int m_outputRate = 0;            // the rate of the split streams
    std::size_t m_outputStreams = 0; // split streams written beside the frames
    std::uint64_t m_joinCursor = 0;  // byte position in the first audio stream
    std::map<std::pair<int, std::size_t>, std::unique_ptr<AudioRateConverter>> m_converters;
    std::vector<std::int16_t> m_converted;
    std::unique_ptr<DvAudioInjector> m_injector; // the first audio stream joined into the frames
    std::vector<std::int16_t> m_stereo;
    bool m_stagesStopped = false;
};

void DvCopySource::Impl::startWriter(std::span<const std::uint8_t> firstFrame)
{
    const DvAviType type = m_plan.outputType;
    auto format = DvAviFormat::fromFrame(firstFrame, type);
    if (!format)
        failRun(RunErrorCode::NotDv, "the first frame of " + m_plan.source.string() + " is not a DV frame");
    format->audio.clear();
    if (type == DvAviType::Type2) {
        if (m_plan.audio == DvAudioRoute::SplitFromFrames) {
            // The streams take the format of the first frame that carries audio: a tape often
            // starts on frames without any, which get silence.
            if (const auto first = FindFirstDvAudio(*m_file->reader, m_first, m_last)) {
                m_outputRate = first->info.format.sampleRate;
                m_outputStreams = static_cast<std::size_t>(first->info.format.pairs());
                format->audio.assign(m_outputStreams, AviPcmFormat{static_cast<std::uint32_t>(m_outputRate), 2});
            }
        } else if (m_plan.audio == DvAudioRoute::PassStreams) {
            for (const auto &a : m_file->audio)
                format->audio.push_back(
                    {static_cast<std::uint32_t>(a.track->sampleRate()), static_cast<std::uint16_t>(a.channels)});
        }
    }
    auto created = DvAviWriter::create(m_plan.destination, *format);
    if (!created)
        throw RunFailure(runError(created.error()));
    m_writer = std::move(created.value());
}

void DvCopySource::Impl::run(PipelineRun &run)
{
    DvFrameReader &reader = *m_file->reader;
    const std::int64_t d = m_file->frameDuration;
    const MediaFormat videoFormat{m_file->interleaved ? core::fcc::iavs : core::fcc::vids, core::fcc::dvsd, d};
    for (MediaStage *stage : m_plan.videoStages)
        if (!stage->StartStream(videoFormat))
            failRun(RunErrorCode::Refused, "a stage refused the DV stream of " + m_plan.source.string());
    m_joinCursor = m_file->audio.empty() ? 0 : m_file->audio[0].track->frameStart(m_first, reader.frameCount(), d);
    const OutputPolicy policy(m_plan.destination);
    policy.conclude([&] { return copyFrames(run); },
                    [&] {
                        if (!m_writer)
                            failRun(RunErrorCode::NotDv, "no DV frame to write from " + m_plan.source.string());
                        checked(m_writer->finish());
                    },
                    [&] {
                        stopStages();
                        if (m_writer)
                            m_writer->discard();
                    });
}

RunOutcome DvCopySource::Impl::copyFrames(PipelineRun &run)
{
    DvFrameReader &reader = *m_file->reader;
    const std::int64_t d = m_file->frameDuration;
    std::size_t i = m_first;
    run.setPosition(static_cast<std::int64_t>(m_first) * d);
    for (; i < m_last && !run.stopRequested(); ++i) {
        const SampleEntry entry = reader.frame(i);
        if (core::SequencesForFrameSize(entry.size) == 0)
            continue; // a damaged sample of the wrong size: the writer takes whole frames only
        // Frames pass through memory: on ext4 a read and a write per frame measured faster
        // than an in-kernel copy per frame, and most routes read the frame anyway.
        if (!reader.readFrame(i, m_frame))
            failRun(RunErrorCode::Unreadable,
                    "cannot read frame " + std::to_string(i) + " of " + m_plan.source.string());
        MediaSample sample{m_frame, static_cast<std::int64_t>(i), static_cast<std::int64_t>(i) + 1,
                           static_cast<std::int64_t>(i) * d, static_cast<std::int64_t>(i + 1) * d};
        for (MediaStage *stage : m_plan.videoStages)
            stage->Receive(sample);
        if (m_plan.audio == DvAudioRoute::JoinIntoFrames)
            joinAudio(m_frame, i);
        if (!m_writer)
            startWriter(m_frame);
        checked(m_writer->writeFrame(m_frame));
        if (m_plan.audio == DvAudioRoute::SplitFromFrames)
            splitAudio(m_frame, i);
        if (m_plan.audio == DvAudioRoute::PassStreams)
            passAudio(i);
        run.setPosition(static_cast<std::int64_t>(i + 1) * d);
    }
    flushConverters();
    stopStages();
    return i < m_last ? RunOutcome::Stopped : RunOutcome::Completed;
}

void DvCopySource::Impl::stopStages()
{
    if (m_stagesStopped)
        return;
    m_stagesStopped = true;
    for (MediaStage *stage : m_plan.videoStages)
        stage->StopStream();
}

void DvCopySource::Impl::splitAudio(std::span<const std::uint8_t> frame, std::size_t index)
{
    if (m_outputStreams == 0)
        return;
    const auto split = SplitDvAudio(frame, m_audio);
    if (!split || m_audio.format.pairs() < static_cast<int>(m_outputStreams)) {
        // A frame without readable audio keeps its place in time with silence.
        const std::size_t count = DvAudioSamplesForFrame(m_outputRate, m_file->system, index);
        m_converted.assign(count * 2, 0);
        for (std::size_t s = 0; s < m_outputStreams; ++s)
            if (!split || static_cast<int>(s) >= m_audio.format.pairs())
                checked(m_writer->writeAudio(asBytes(m_converted, count * 2), s));
            else
                writePcm(m_audio.pairs[s], m_audio.samples, m_audio.format.sampleRate, s);
        return;
    }
    for (std::size_t s = 0; s < m_outputStreams; ++s)
        writePcm(m_audio.pairs[s], m_audio.samples, m_audio.format.sampleRate, s);
}

// Stereo PCM of one frame into split stream `stream`; a recording whose rate changed on the
// way is converted to the stream's rate rather than played at the wrong speed.
void DvCopySource::Impl::writePcm(const std::vector<std::int16_t> &samples, std::size_t frames, int inputRate,
                                  std::size_t stream)
{
    if (inputRate == m_outputRate) {
        checked(m_writer->writeAudio(asBytes(samples, frames * 2), stream));
        return;
    }
    auto &converter = m_converters[{inputRate, stream}];
    if (!converter) {
        auto created = AudioRateConverter::create(2, inputRate, m_outputRate);
        if (!created)
            throw RunFailure(runError(created.error()));
        converter = std::move(created.value());
    }
    m_converted.clear();
    const auto done = converter->convert({samples.data(), frames * 2}, m_converted);
    if (!done)
        throw RunFailure(runError(done.error()));
    checked(m_writer->writeAudio(asBytes(m_converted, done.value() * 2), stream));
}

void DvCopySource::Impl::flushConverters()
{
    for (auto &[key, converter] : m_converters) {
        m_converted.clear();
        const auto done = converter->flush(m_converted);
        if (done && done.value() > 0)
            checked(m_writer->writeAudio(asBytes(m_converted, done.value() * 2), key.second));
    }
    m_converters.clear();
}

void DvCopySource::Impl::passAudio(std::size_t index)
{
    const std::size_t frames = m_file->frameCount();
    const std::int64_t d = m_file->frameDuration;
    for (std::size_t s = 0; s < m_file->audio.size(); ++s) {
        AudioTrack &track = *m_file->audio[s].track;
        const std::uint64_t start = track.frameStart(index, frames, d);
        // The last frame of the stream takes whatever audio is left.
        const std::uint64_t end = index + 1 >= frames ? track.size() : track.frameStart(index + 1, frames, d);
        if (end > start)
            track.read(start, static_cast<std::size_t>(end - start), m_bytes);
        else
            m_bytes.clear();
        checked(m_writer->writeAudio(m_bytes, s));
    }
}

// Writes the first audio stream into the frame's audio blocks, taking as many samples as the
// frame carries (see DvAudioInjector: a frame recorded at the stream's rate keeps its own
// quantisation and second pair, so a frame split and joined again comes out identical).
void DvCopySource::Impl::joinAudio(std::span<std::uint8_t> frame, std::size_t index)
{
    if (m_file->audio.empty())
        return;
    const DvSourceFile::Audio &stream = m_file->audio[0];
    if (!m_injector)
        m_injector = makeInjector(stream);
    m_injector->setNextFrame(index);
    const std::size_t count = m_injector->samplesDue(frame);
    AudioTrack &track = *stream.track;
    const std::size_t bytes = count * static_cast<std::size_t>(track.blockAlign());
    const std::size_t got = track.read(m_joinCursor, bytes, m_bytes);
    m_joinCursor += got;
    // Past the end of the stream the injector makes silence.
    const std::size_t samples = got / static_cast<std::size_t>(track.blockAlign());
    m_stereo.resize(samples * 2);
    const auto sampleAt = [&](std::size_t k) {
        return static_cast<std::int16_t>(m_bytes[2 * k] | (m_bytes[2 * k + 1] << 8));
    };
    for (std::size_t n = 0; n < samples; ++n) {
        const std::size_t base = n * static_cast<std::size_t>(stream.channels);
        m_stereo[2 * n] = sampleAt(base);
        m_stereo[2 * n + 1] = sampleAt(stream.channels == 2 ? base + 1 : base);
    }
    m_injector->push(0, m_stereo);
    const auto joined = m_injector->joinNext(frame);
    if (!joined)
        failRun(RunErrorCode::AudioFailed,
                "cannot write the audio of frame " + std::to_string(index) + ": " + joined.error().message);
}

std::unique_ptr<DvAudioInjector> DvCopySource::Impl::makeInjector(const DvSourceFile::Audio &stream) const
{
    if (stream.bitsPerSample != 16 || stream.channels < 1 || stream.channels > 2)
        failRun(RunErrorCode::UnsupportedAudio, "only 16-bit mono or stereo audio can go into DV frames");
    const int rate = stream.track->sampleRate();
    if (DvAudioSamplesForFrame(rate, m_file->system, 0) == 0)
        failRun(RunErrorCode::UnsupportedAudio, "DV frames cannot carry audio at " + std::to_string(rate) + " Hz");
    return std::make_unique<DvAudioInjector>(rate, 2);
}

DvCopySource::DvCopySource(std::unique_ptr<Impl> impl) : m_impl(std::move(impl))
{
    m_frameDuration = m_impl->file().frameDuration;
}

DvCopySource::~DvCopySource() = default;

core::Expected<std::unique_ptr<DvCopySource>, SourceErrorCode> DvCopySource::open(const DvCopyPlan &plan)
{
    auto file = DvSourceFile::open(plan.source);
    if (!file)
        return file.error();
    return std::unique_ptr<DvCopySource>(new DvCopySource(std::make_unique<Impl>(plan, std::move(file.value()))));
}

std::int64_t DvCopySource::Duration() const
{
    return m_impl->file().duration();
}

std::size_t DvCopySource::FrameCount() const
{
    return m_impl->file().frameCount();
}

void DvCopySource::SetPositions(std::int64_t start, std::int64_t stop)
{
    m_impl->setRange(start, stop);
}

void DvCopySource::Run(PipelineRun &run)
{
    m_impl->run(run);
}

} // namespace camlog::media
