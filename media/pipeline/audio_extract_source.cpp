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
    // A run stopped early keeps its shorter file only where no complete file is lost by it.
    std::error_code ignored;
    m_replacing = std::filesystem::exists(m_destination, ignored);
    if (!m_file->audio.empty())
        runFromStream(run);
    else
        runFromFrames(run);
}

void AudioExtractSource::runFromStream(PipelineRun &run)
{
    const DvSourceFile::Audio &audio = m_file->audio[0];
    AudioTrack &track = *audio.track;
    const int outputRate = m_outputRate > 0 ? m_outputRate : m_sourceRate;
    const bool convert = outputRate != m_sourceRate && audio.bitsPerSample == 16;
    auto wav = createWav(m_destination, {convert ? outputRate : m_sourceRate, audio.channels, audio.bitsPerSample});
    std::unique_ptr<AudioRateConverter> converter;
    if (convert) {
        auto created = AudioRateConverter::create(audio.channels, m_sourceRate, outputRate);
        if (!created)
            throw RunFailure(runError(created.error()));
        converter = std::move(created.value());
    }

    // About a fifth of a second per read; position from the bytes done.
    const std::size_t block = static_cast<std::size_t>(track.blockAlign()) * (m_sourceRate / 5 + 1);
    const double bytesPerUnit = static_cast<double>(track.blockAlign()) * m_sourceRate / 10'000'000.0;
    std::vector<std::uint8_t> bytes;
    std::vector<std::int16_t> samples;
    std::vector<std::int16_t> converted;
    std::uint64_t at = 0;
    while (at < track.size() && !run.stopRequested()) {
        const std::size_t got = track.read(at, block, bytes);
        if (got == 0)
            failRun(RunErrorCode::Unreadable, "cannot read the audio stream");
        at += got;
        if (converter) {
            samples.resize(got / 2);
            for (std::size_t k = 0; k < samples.size(); ++k)
                samples[k] = static_cast<std::int16_t>(bytes[2 * k] | (bytes[2 * k + 1] << 8));
            converted.clear();
            const auto done = converter->convert(samples, converted);
            if (!done)
                throw RunFailure(runError(done.error()));
            checked(wav->write(std::span<const std::int16_t>(converted)));
        } else {
            checked(wav->write(std::span<const std::uint8_t>(bytes.data(), got)));
        }
        run.setPosition(static_cast<std::int64_t>(static_cast<double>(at) / bytesPerUnit));
    }
    if (at < track.size() && m_replacing)
        return; // the writer, dropped unfinished, leaves the earlier file as it was
    if (converter) {
        converted.clear();
        if (const auto done = converter->flush(converted); done && done.value() > 0)
            checked(wav->write(std::span<const std::int16_t>(converted)));
    }
    checked(wav->finish());
}

void AudioExtractSource::runFromFrames(PipelineRun &run)
{
    const int outputRate = m_outputRate > 0 ? m_outputRate : m_sourceRate;
    auto wav = createWav(m_destination, {outputRate, 2, 16});
    DvFrameReader &reader = *m_file->reader;
    const std::int64_t d = m_file->frameDuration;
    std::vector<std::uint8_t> frame;
    DvFrameAudio audio;
    std::vector<std::int16_t> converted;
    std::unique_ptr<AudioRateConverter> converter;
    int converterRate = 0;
    std::size_t i = 0;
    for (; i < reader.frameCount() && !run.stopRequested(); ++i) {
        if (!reader.readFrame(i, frame))
            failRun(RunErrorCode::Unreadable, "cannot read frame " + std::to_string(i));
        const auto split = SplitDvAudio(frame, audio);
        if (!split) {
            // Silence keeps the sound in step with the pictures over a frame without audio.
            const std::size_t count = DvAudioSamplesForFrame(outputRate, m_file->system, i);
            converted.assign(count * 2, 0);
            checked(wav->write(std::span<const std::int16_t>(converted)));
        } else if (audio.format.sampleRate == outputRate) {
            checked(wav->write(std::span<const std::int16_t>(audio.pairs[0].data(), audio.samples * 2)));
        } else {
            if (!converter || converterRate != audio.format.sampleRate) {
                auto created = AudioRateConverter::create(2, audio.format.sampleRate, outputRate);
                if (!created)
                    throw RunFailure(runError(created.error()));
                converter = std::move(created.value());
                converterRate = audio.format.sampleRate;
            }
            converted.clear();
            const auto done = converter->convert({audio.pairs[0].data(), audio.samples * 2}, converted);
            if (!done)
                throw RunFailure(runError(done.error()));
            checked(wav->write(std::span<const std::int16_t>(converted)));
        }
        run.setPosition(static_cast<std::int64_t>(i + 1) * d);
    }
    if (i < reader.frameCount() && m_replacing)
        return; // the writer, dropped unfinished, leaves the earlier file as it was
    if (converter) {
        converted.clear();
        if (const auto done = converter->flush(converted); done && done.value() > 0)
            checked(wav->write(std::span<const std::int16_t>(converted)));
    }
    checked(wav->finish());
}

} // namespace camlog::media
