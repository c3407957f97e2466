// The source of the re-encoding recipes: any video FFmpeg decodes, into a DV type 2 AVI file.
#include "media/dv_reencode_source.h"
#include "media/checked_value.h"

#include "core/four_cc.h"
#include "media/av_file_decoder.h"
#include "media/decoded_audio_converter.h"
#include "media/dv_audio.h"
#include "media/dv_picture_stage.h"
#include "media/dv_video_encoder.h"
#include "media/frame_rate_conversion.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <stdexcept>

namespace camlog::media {

namespace {

void checked(const DvAviWriter::Status &status)
{
    if (status)
        throw std::runtime_error(status->message);
}

// Frames encoded while their sound has not been decoded yet (AVI files interleave the two
// loosely) wait here; past this many, a frame goes out with silence where its sound is late,
// so memory stays bounded on a file whose sound lies far from its pictures.
constexpr std::size_t kMaxFramesWaitingForSound = 100;

} // namespace

class DvReencodeSource::Impl {
public:
    Impl(const DvReencodePlan &plan, std::unique_ptr<AvFileDecoder> decoder)
        : m_plan(plan),
          m_decoder(std::move(decoder)),
          m_picture{plan.system, plan.wide},
          m_audio(plan.audioRate, 2)
    {
        m_frameSeconds = plan.system == DvSystem::Pal ? 1.0 / 25 : 1001.0 / 30000;
    }

    void run(PipelineRun &run);
    std::int64_t frameDuration() const { return std::llround(m_frameSeconds * 1e7); }
    std::int64_t duration() const { return std::llround(m_decoder->duration() * 1e7); }

private:
    void start();
    void onPicture(PipelineRun &run);
    void emitHeld(std::int64_t until);
    void onSound();
    void queueFrame(std::span<const std::uint8_t> frame);
    // Writes the waiting frames whose sound is there (all of them at the end of the stream).
    void writeReady(bool endOfStream);
    void writeFrame(std::vector<std::uint8_t> &frame);
    std::size_t samplesFor(std::uint64_t frame) const
    {
        return DvAudioSamplesForFrame(m_plan.audioRate, m_plan.system == DvSystem::Pal, frame);
    }
    void finish(bool stopped);

    DvReencodePlan m_plan;
    std::unique_ptr<AvFileDecoder> m_decoder;
    DvPictureFormat m_picture;
    std::unique_ptr<DvPictureStage> m_stage;
    std::unique_ptr<DvVideoEncoder> m_encoder;
    std::unique_ptr<DvAviWriter> m_writer;
    double m_frameSeconds;

    // The picture shown until the next one starts, and the clock's origin.
    AvFramePtr m_held{av_frame_alloc()};
    bool m_holding = false;
    double m_origin = 0.0;
    double m_lastTime = 0.0;
    std::int64_t m_framesOut = 0; // output frames made (written or waiting)

    // Sound: resampled stereo from m_soundStart on, in sample frames.
    DecodedAudioConverter m_audio;
    std::vector<std::int16_t> m_pcm;
    std::int64_t m_pcmStart = 0; // the sample number of m_pcm's first sample
    bool m_soundStarted = false;
    std::uint64_t m_written = 0;    // frames written
    std::int64_t m_soundCursor = 0; // the first sample of the next frame written
    std::deque<std::vector<std::uint8_t>> m_waiting;
    DvFrameAudio m_frameAudio;
};

void DvReencodeSource::Impl::start()
{
    m_stage = checked(DvPictureStage::create(m_picture));
    m_encoder = checked(DvVideoEncoder::create(m_picture));
    DvAviFormat format;
    format.type = DvAviType::Type2;
    format.system = m_plan.system;
    format.wide = m_plan.wide;
    format.audio = {AviPcmFormat{static_cast<std::uint32_t>(m_plan.audioRate), 2}};
    auto created = DvAviWriter::create(m_plan.destination, format);
    if (!created)
        throw std::runtime_error(created.error().message);
    m_writer = std::move(created.value());
    const MediaFormat frames{core::fcc::vids, core::fcc::dvsd, frameDuration()};
    for (MediaStage *stage : m_plan.frameStages)
        if (!stage->StartStream(frames))
            throw std::runtime_error("a stage refused the DV frames made from " + m_plan.source.string());
    m_frameAudio.format = {m_plan.audioRate, 2, 16, m_plan.system == DvSystem::Pal};
}

void DvReencodeSource::Impl::run(PipelineRun &run)
{
    std::error_code ignored;
    const bool replacing = std::filesystem::exists(m_plan.destination, ignored);
    bool stopped = false;
    try {
        start();
        for (;;) {
            if (run.stopRequested()) {
                stopped = true;
                break;
            }
            const DecodedKind kind = checked(m_decoder->next());
            if (kind == DecodedKind::End)
                break;
            if (kind == DecodedKind::Video)
                onPicture(run);
            else
                onSound();
        }
        if (!stopped) {
            if (!m_holding)
                throw std::runtime_error(m_plan.source.string() + ": no picture could be decoded");
            // The last picture lasts one source frame.
            emitHeld(OutputFramesBefore(m_lastTime + m_decoder->videoFrameDuration(), m_frameSeconds));
            if (m_soundStarted)
                checked(m_audio.flush(m_pcm));
        }
        writeReady(true);
    } catch (...) {
        for (MediaStage *stage : m_plan.frameStages)
            stage->StopStream();
        if (m_writer)
            m_writer->discard();
        throw;
    }
    for (MediaStage *stage : m_plan.frameStages)
        stage->StopStream();
    if (stopped && replacing) {
        m_writer->discard();
        return;
    }
    checked(m_writer->finish());
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
    m_holding = true;
    run.setPosition(std::llround((time - m_origin) * 1e7));
}

// The held picture fills the output frames up to `until`; a picture that fills none is never
// scaled nor encoded.
void DvReencodeSource::Impl::emitHeld(std::int64_t until)
{
    if (!m_holding || until <= m_framesOut)
        return;
    const AVFrame *picture = checked(m_stage->convert(*m_held));
    const std::span<std::uint8_t> frame = checked(m_encoder->encode(*picture));
    for (; m_framesOut < until; ++m_framesOut)
        queueFrame(frame);
    writeReady(false);
}

void DvReencodeSource::Impl::onSound()
{
    const AVFrame &block = m_decoder->frame(DecodedKind::Audio);
    if (!m_soundStarted) {
        // The sound keeps its place against the pictures' clock: silence before a late start,
        // and what comes before the first picture is dropped.
        m_soundStarted = true;
        const double start = m_holding ? m_decoder->time(DecodedKind::Audio) - m_origin : 0.0;
        m_pcmStart = std::llround(start * m_plan.audioRate);
        if (m_pcmStart > m_soundCursor) {
            m_pcm.assign(static_cast<std::size_t>(m_pcmStart - m_soundCursor) * 2, 0);
            m_pcmStart = m_soundCursor;
        }
    }
    checked(m_audio.convert(block, m_pcm));
    writeReady(false);
}

void DvReencodeSource::Impl::queueFrame(std::span<const std::uint8_t> frame)
{
    m_waiting.emplace_back(frame.begin(), frame.end());
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

void DvReencodeSource::Impl::writeFrame(std::vector<std::uint8_t> &frame)
{
    const std::size_t need = samplesFor(m_written);
    // Samples before the cursor belong to frames already written (with silence).
    if (m_pcmStart < m_soundCursor) {
        const auto drop = std::min<std::size_t>(m_pcm.size(), static_cast<std::size_t>(m_soundCursor - m_pcmStart) * 2);
        m_pcm.erase(m_pcm.begin(), m_pcm.begin() + static_cast<std::ptrdiff_t>(drop));
        m_pcmStart += static_cast<std::int64_t>(drop / 2);
        if (m_pcm.empty())
            m_pcmStart = m_soundCursor;
    }
    auto &pcm = m_frameAudio.pairs[0];
    const std::size_t have = std::min(need * 2, m_pcm.size());
    pcm.assign(m_pcm.begin(), m_pcm.begin() + static_cast<std::ptrdiff_t>(have));
    pcm.resize(need * 2, 0);
    m_pcm.erase(m_pcm.begin(), m_pcm.begin() + static_cast<std::ptrdiff_t>(have));
    m_pcmStart += static_cast<std::int64_t>(have / 2);
    m_soundCursor += static_cast<std::int64_t>(need);
    m_frameAudio.samples = need;
    checked(JoinDvAudio(frame, m_frameAudio));

    MediaSample sample{frame, static_cast<std::int64_t>(m_written), static_cast<std::int64_t>(m_written) + 1,
                       static_cast<std::int64_t>(m_written) * frameDuration(),
                       static_cast<std::int64_t>(m_written + 1) * frameDuration()};
    for (MediaStage *stage : m_plan.frameStages)
        stage->Receive(sample);
    checked(m_writer->writeFrame(frame));
    checked(m_writer->writeAudio({reinterpret_cast<const std::uint8_t *>(pcm.data()), need * 4}));
    ++m_written;
}

DvReencodeSource::DvReencodeSource(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

DvReencodeSource::~DvReencodeSource() = default;

core::Expected<std::unique_ptr<DvReencodeSource>, ReencodeErrorCode> DvReencodeSource::open(const DvReencodePlan &plan)
{
    if (DvAudioSamplesForFrame(plan.audioRate, plan.system == DvSystem::Pal, 0) == 0)
        return ReencodeError{ReencodeErrorCode::AudioFailed,
                             "DV frames cannot carry sound at " + std::to_string(plan.audioRate) + " Hz"};
    auto decoder = AvFileDecoder::open(plan.source, {true, true});
    if (!decoder)
        return decoder.error();
    if (!decoder.value()->hasVideo())
        return ReencodeError{ReencodeErrorCode::NoStream, plan.source.string() + ": has no picture"};
    return std::unique_ptr<DvReencodeSource>(
        new DvReencodeSource(std::make_unique<Impl>(plan, std::move(decoder.value()))));
}

std::int64_t DvReencodeSource::Duration() const
{
    return m_impl->duration();
}

std::int64_t DvReencodeSource::FrameDuration() const
{
    return m_impl->frameDuration();
}

void DvReencodeSource::Run(PipelineRun &run)
{
    m_impl->run(run);
}

} // namespace camlog::media
