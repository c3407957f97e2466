// The preview's source for DV files (type 1, type 2, OpenDML, raw DV): frames by index through
// the frame reader, pictures from FFmpeg's DV decoder, sound split out of the frames.
#pragma once

#include "media/audio/audio_rate_converter.h"
#include "media/audio/dv_audio.h"
#include "media/preview/preview_source.h"
#include "media/reading/dv_frame_reader.h"

#include <filesystem>
#include <memory>

namespace camlog::media {

class DvPreviewSource : public PreviewSource {
public:
    enum class Refusal { None, NotFound, NotAvi, NotDv, DecoderRefuses };
    struct Opened {
        std::unique_ptr<DvPreviewSource> source;
        Refusal refusal = Refusal::None;
    };
    // Opens the file's index and decodes its first frame: a decoder that refuses that frame
    // (and the next few, which a damaged start would not spoil) refuses the file.
    static Opened open(const std::filesystem::path &path, double frameRate);

    ~DvPreviewSource() override;

    const PreviewTimeline &timeline() const override { return m_timeline; }
    bool hasPicture() const override { return true; }
    bool hasSound() const override { return m_sound; }
    std::int64_t frameDuration() const override { return m_frameDuration; }
    SourceRead read(std::int64_t position, bool following) override;
    void takeSound(std::vector<std::int16_t> &out) override;

    std::size_t frameCount() const { return m_reader->frameCount(); }

private:
    explicit DvPreviewSource(std::unique_ptr<DvFrameReader> reader);
    bool decode();
    void splitSound(bool following);

    std::unique_ptr<DvFrameReader> m_reader;
    PreviewTimeline m_timeline;
    std::int64_t m_frameDuration = 400'000;
    bool m_sound = false;
    CodecContextPtr m_decoder;
    AvFramePtr m_picture;
    AvPacketPtr m_packet;
    std::vector<std::uint8_t> m_frame;
    scenes::FrameRecord m_record;
    DvFrameAudio m_audio;
    std::unique_ptr<AudioRateConverter> m_converter;
    std::vector<std::int16_t> m_pending;
};

} // namespace camlog::media
