// The source of the audio extraction: the first audio stream of a DV file written as a WAV file.
#include "media/pipeline/audio_extract_source.h"
#include "media/pipeline/run_error.h"

#include "media/audio/audio_rate_converter.h"
#include "media/audio/dv_audio.h"
#include "media/audio/first_dv_audio.h"
#include "media/pipeline/dv_source_file.h"
#include "media/writing/wav_writer.h"

#include <algorithm>
#include <stdexcept>
#include <string>

namespace camlog::media {

namespace {

std::unique_ptr<WavWriter> createWav(const std::filesystem::path &path, const WavFormat &format)
{
    auto created = WavWriter::create(path, format);
    if (!created)
        throw RunFailure(runError(created.error()));
    return std::move(created.value());
}

} // namespace

AudioExtractSource::~AudioExtractSource() = default;

core::Expected<std::unique_ptr<AudioExtractSource>, SourceErrorCode>
AudioExtractSource::open(const std::filesystem::path &source, const std::filesystem::path &destination)
{
    auto opened = DvSourceFile::open(source);
    if (!opened)
        return opened.error();
    std::unique_ptr<DvSourceFile> file = std::move(opened.value());
    // A file cut short would give a shorter sound track that looks complete: it fails, as the
    // pictures' commands do.
    const DvFrameReader &reader = *file->reader;
    const StreamTable &dv = reader.streams()[static_cast<std::size_t>(reader.dvStream())];
    const std::uint64_t frames = reader.frameCount();
    if (dv.beyondEnd > 0 || frames + 1 < dv.announced)
        return SourceError{SourceErrorCode::Truncated,
                           source.string() + ": the file ends after " + std::to_string(frames) + " of its "
                               + std::to_string(std::max<std::uint64_t>(frames + dv.beyondEnd, dv.announced))
                               + " frames"};
    std::unique_ptr<AudioExtractSource> result(new AudioExtractSource());
    if (!file->audio.empty()) {
        result->m_sourceRate = file->audio[0].track->sampleRate();
    } else {
        // The rate of the first frame that carries audio; the frames before it give silence.
        const auto first = FindFirstDvAudio(*file->reader);
        if (!first)
            return SourceError{SourceErrorCode::NoAudio, "no audio in " + source.string()};
        result->m_sourceRate = first->info.format.sampleRate;
    }
    result->m_file = std::move(file);
    result->m_destination = destination;
    return result;
}

std::int64_t AudioExtractSource::Duration() const
{
    return m_file->duration();
}

void AudioExtractSource::Run(PipelineRun &run)
{
    const OutputPolicy policy(m_destination);
    policy.conclude([&] { return m_file->audio.empty() ? runFromFrames(run) : runFromStream(run); },
                    [&] { finishWav(); }, [&] { m_wav.reset(); });
}

void AudioExtractSource::finishWav()
{
    if (m_converter) {
        m_converted.clear();
        if (const auto done = m_converter->flush(m_converted); done && done.value() > 0)
            checked(m_wav->write(std::span<const std::int16_t>(m_converted)));
    }
    checked(m_wav->finish());
}

// Writes stereo or mono samples of `rate` at the output's rate.
void AudioExtractSource::writeConverted(std::span<const std::int16_t> samples, int rate)
{
    if (!m_converter || m_converterRate != rate) {
        m_converter = checked(AudioRateConverter::create(m_wav->format().channels, rate, m_wav->format().sampleRate));
        m_converterRate = rate;
    }
    m_converted.clear();
    checked(m_converter->convert(samples, m_converted));
    checked(m_wav->write(std::span<const std::int16_t>(m_converted)));
}

RunOutcome AudioExtractSource::runFromStream(PipelineRun &run)
{
    const DvSourceFile::Audio &audio = m_file->audio[0];
    AudioTrack &track = *audio.track;
    const int outputRate = m_outputRate > 0 ? m_outputRate : m_sourceRate;
    const bool convert = outputRate != m_sourceRate && audio.bitsPerSample == 16;
    m_wav = createWav(m_destination, {convert ? outputRate : m_sourceRate, audio.channels, audio.bitsPerSample});

    // About a fifth of a second per read; position from the bytes done.
    const std::size_t block = static_cast<std::size_t>(track.blockAlign()) * (m_sourceRate / 5 + 1);
    const double bytesPerUnit = static_cast<double>(track.blockAlign()) * m_sourceRate / 10'000'000.0;
    std::vector<std::uint8_t> bytes;
    std::vector<std::int16_t> samples;
    std::uint64_t at = 0;
    while (at < track.size() && !run.stopRequested()) {
        const std::size_t got = track.read(at, block, bytes);
        if (got == 0)
            failRun(RunErrorCode::Unreadable, "cannot read the audio stream");
        at += got;
        if (convert) {
            samples.resize(got / 2);
            for (std::size_t k = 0; k < samples.size(); ++k)
                samples[k] = static_cast<std::int16_t>(bytes[2 * k] | (bytes[2 * k + 1] << 8));
            writeConverted(samples, m_sourceRate);
        } else {
            checked(m_wav->write(std::span<const std::uint8_t>(bytes.data(), got)));
        }
        run.setPosition(static_cast<std::int64_t>(static_cast<double>(at) / bytesPerUnit));
    }
    return at < track.size() ? RunOutcome::Stopped : RunOutcome::Completed;
}

RunOutcome AudioExtractSource::runFromFrames(PipelineRun &run)
{
    const int outputRate = m_outputRate > 0 ? m_outputRate : m_sourceRate;
    m_wav = createWav(m_destination, {outputRate, 2, 16});
    DvFrameReader &reader = *m_file->reader;
    const std::int64_t d = m_file->frameDuration;
    std::vector<std::uint8_t> frame;
    std::vector<std::int16_t> silence;
    DvFrameAudio audio;
    std::size_t i = 0;
    for (; i < reader.frameCount() && !run.stopRequested(); ++i) {
        if (!reader.readFrame(i, frame))
            failRun(RunErrorCode::Unreadable, "cannot read frame " + std::to_string(i));
        if (!SplitDvAudio(frame, audio)) {
            // Silence keeps the sound in step with the pictures over a frame without audio.
            silence.assign(DvAudioSamplesForFrame(outputRate, m_file->system, i) * 2, 0);
            checked(m_wav->write(std::span<const std::int16_t>(silence)));
        } else if (audio.format.sampleRate == outputRate) {
            checked(m_wav->write(std::span<const std::int16_t>(audio.pairs[0].data(), audio.samples * 2)));
        } else {
            writeConverted({audio.pairs[0].data(), audio.samples * 2}, audio.format.sampleRate);
        }
        run.setPosition(static_cast<std::int64_t>(i + 1) * d);
    }
    return i < reader.frameCount() ? RunOutcome::Stopped : RunOutcome::Completed;
}

} // namespace camlog::media
