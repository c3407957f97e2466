// The source of the audio extraction for files that are not DV.
#include "media/pipeline/av_audio_extract_source.h"
#include "media/pipeline/output_policy.h"
#include "media/pipeline/run_error.h"

#include "media/decoding/av_file_decoder.h"
#include "media/decoding/decoded_audio_converter.h"
#include "media/writing/wav_writer.h"

#include <cmath>
#include <stdexcept>

namespace camlog::media {

AvAudioExtractSource::~AvAudioExtractSource() = default;

core::Expected<std::unique_ptr<AvAudioExtractSource>, ReencodeErrorCode>
AvAudioExtractSource::open(const std::filesystem::path &source, const std::filesystem::path &destination)
{
    auto decoder = AvFileDecoder::open(source, {false, true});
    if (!decoder)
        return decoder.error();
    std::unique_ptr<AvAudioExtractSource> extract(new AvAudioExtractSource());
    extract->m_sourceRate = decoder.value()->audioContext().sample_rate;
    extract->m_decoder = std::move(decoder.value());
    extract->m_source = source;
    extract->m_destination = destination;
    return extract;
}

std::int64_t AvAudioExtractSource::Duration() const
{
    return std::llround(m_decoder->duration() * 1e7);
}

void AvAudioExtractSource::Run(PipelineRun &run)
{
    const OutputPolicy policy(m_destination);
    DecodedAudioConverter converter(m_outputRate > 0 ? m_outputRate : m_sourceRate, 0);
    std::unique_ptr<WavWriter> wav; // made with the first block, which tells the channels
    std::vector<std::int16_t> pcm;
    const auto write = [&] {
        if (!wav && converter.channels() > 0)
            wav =
                checked(WavWriter::create(m_destination, WavFormat{converter.outputRate(), converter.channels(), 16}));
        if (wav && !pcm.empty())
            checked(wav->write(std::span<const std::int16_t>(pcm)));
        pcm.clear();
    };
    const auto decode = [&] {
        for (;;) {
            if (run.stopRequested())
                return RunOutcome::Stopped;
            const DecodedKind kind = checked(m_decoder->next());
            if (kind == DecodedKind::End)
                return RunOutcome::Completed;
            checked(converter.convert(m_decoder->frame(kind), pcm));
            write();
            run.setPosition(std::llround(m_decoder->time(kind) * 1e7));
        }
    };
    const auto finish = [&] {
        checked(converter.flush(pcm));
        write();
        if (!wav)
            failRun(RunErrorCode::DecodeFailed, m_source.string() + ": no sound could be decoded");
        checked(wav->finish());
    };
    // The unfinished writer, dropped, leaves the destination as it was.
    policy.conclude(decode, finish, [&] { wav.reset(); });
}

} // namespace camlog::media
