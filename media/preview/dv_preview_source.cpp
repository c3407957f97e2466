// The preview's source for DV files.
#include "media/preview/dv_preview_source.h"

#include "core/dv_frame.h"
#include "media/reading/dv_format.h"

#include <cmath>
#include <cstring>

namespace camlog::media {

namespace {

// Frames tried at the start before the decoder is said to refuse the file.
constexpr std::size_t kFramesTriedAtOpen = 3;

DvPreviewSource::Refusal FromReadError(ReadErrorCode code)
{
    switch (code) {
    case ReadErrorCode::NotFound:
    case ReadErrorCode::Unreadable:
        return DvPreviewSource::Refusal::NotFound;
    case ReadErrorCode::NotAvi:
        return DvPreviewSource::Refusal::NotAvi;
    case ReadErrorCode::NoDvStream:
        break;
    }
    return DvPreviewSource::Refusal::NotDv;
}

} // namespace

DvPreviewSource::Opened DvPreviewSource::open(const std::filesystem::path &path, double frameRate)
{
    auto reader = DvFrameReader::open(path);
    if (!reader)
        return {nullptr, FromReadError(reader.error().code)};
    if (reader.value()->frameCount() == 0)
        return {nullptr, Refusal::NotDv};
    std::unique_ptr<DvPreviewSource> source(new DvPreviewSource(std::move(reader).value()));
    const AVCodec *codec = avcodec_find_decoder(AV_CODEC_ID_DVVIDEO);
    if (codec == nullptr || !source->m_picture || !source->m_packet)
        return {nullptr, Refusal::DecoderRefuses};
    source->m_decoder.reset(avcodec_alloc_context3(codec));
    if (!source->m_decoder)
        return {nullptr, Refusal::DecoderRefuses};
    // One frame in, its picture out at once: a step shows the frame asked for.
    source->m_decoder->thread_count = 1;
    if (avcodec_open2(source->m_decoder.get(), codec, nullptr) < 0)
        return {nullptr, Refusal::DecoderRefuses};

    bool decoded = false;
    DvSystem system = DvSystem::Pal;
    const std::size_t tries = std::min(kFramesTriedAtOpen, source->frameCount());
    for (std::size_t i = 0; i < tries && !decoded; ++i) {
        if (!source->m_reader->readFrame(i, source->m_frame))
            continue;
        system = dvSystemOfFrameSize(source->m_frame.size()).value_or(DvSystem::Pal);
        decoded = source->decode();
    }
    if (!decoded)
        return {nullptr, Refusal::DecoderRefuses};
    if (!(frameRate > 0))
        frameRate = 1.0 / dvFrameSeconds(system);
    source->m_frameDuration = std::llround(10'000'000.0 / frameRate);
    source->m_timeline =
        PreviewTimeline::ForFile(frameRate, static_cast<std::int64_t>(source->frameCount()),
                                 static_cast<std::int64_t>(source->frameCount()) * source->m_frameDuration);
    source->m_sound = ReadDvAudioInfo(source->m_frame).ok();
    return {std::move(source), Refusal::None};
}

DvPreviewSource::DvPreviewSource(std::unique_ptr<DvFrameReader> reader)
    : m_reader(std::move(reader)),
      m_picture(av_frame_alloc()),
      m_packet(av_packet_alloc())
{
}

DvPreviewSource::~DvPreviewSource() = default;

bool DvPreviewSource::decode()
{
    av_packet_unref(m_packet.get());
    if (av_new_packet(m_packet.get(), static_cast<int>(m_frame.size())) < 0)
        return false;
    std::memcpy(m_packet->data, m_frame.data(), m_frame.size());
    av_frame_unref(m_picture.get());
    if (avcodec_send_packet(m_decoder.get(), m_packet.get()) < 0
        || avcodec_receive_frame(m_decoder.get(), m_picture.get()) < 0) {
        avcodec_flush_buffers(m_decoder.get());
        return false;
    }
    return m_picture->width > 0 && m_picture->height > 0;
}

SourceRead DvPreviewSource::read(std::int64_t position, bool following)
{
    SourceRead result;
    if (position < 0 || static_cast<std::uint64_t>(position) >= m_reader->frameCount()) {
        m_pending.clear();
        return result;
    }
    if (!m_reader->readFrame(static_cast<std::size_t>(position), m_frame)) {
        // The index still names the frame: the file was shortened (or went) under the reader.
        result.status = SourceReadStatus::Gone;
        return result;
    }
    const int nseq = core::SequencesForFrameSize(m_frame.size());
    if (nseq > 0) {
        scenes::DecodeFrameRecord(m_frame, nseq, m_record);
        result.record = m_record;
        result.hasRecord = true;
    }
    result.displayAspect = m_record.widePicture ? 16.0 / 9.0 : 4.0 / 3.0;
    splitSound(following);
    // A damaged frame shows what the decoder makes of it; one it refuses shows nothing new.
    if (decode()) {
        result.status = SourceReadStatus::Picture;
        result.picture = m_picture.get();
    }
    return result;
}

void DvPreviewSource::splitSound(bool following)
{
    if (!following) {
        m_pending.clear();
        m_converter.reset();
    }
    const auto split = SplitDvAudio(m_frame, m_audio);
    if (!split || m_audio.samples == 0)
        return;
    const int rate = m_audio.format.sampleRate;
    if (!m_converter || m_converter->inputRate() != rate) {
        auto made = AudioRateConverter::create(2, rate, kPreviewSoundRate);
        if (!made)
            return;
        m_converter = std::move(made).value();
    }
    // Four-channel 12-bit sound: the first pair is the camera's own recording.
    const auto &pair = m_audio.pairs[0];
    const std::size_t values = std::min(pair.size(), 2 * m_audio.samples);
    (void)m_converter->convert(std::span<const std::int16_t>(pair.data(), values), m_pending);
}

void DvPreviewSource::takeSound(std::vector<std::int16_t> &out)
{
    out.insert(out.end(), m_pending.begin(), m_pending.end());
    m_pending.clear();
}

} // namespace camlog::media
