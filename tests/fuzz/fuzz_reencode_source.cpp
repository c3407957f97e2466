// The frame source of the re-encodings on any bytes: the decoder of any file FFmpeg opens, read
// to its end (or its first 64 frames), and the DV frames beside it that carry the source's
// recording times.
#include "fuzz_input_file.h"
#include "media/decoding/av_file_decoder.h"
#include "media/decoding/ffmpeg_log.h"
#include "media/reencoding/dv_source_frames.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace camlog;
    static const bool quiet = [] {
        media::RouteFfmpegLog({});
        return true;
    }();
    (void)quiet;
    const auto path = fuzz::writeInputFile(data, size, ".avi");
    auto decoder = media::AvFileDecoder::open(path, {true, true});
    if (decoder) {
        media::AvFileDecoder &d = *decoder.value();
        for (int frames = 0; frames < 64; ++frames) {
            const auto kind = d.next();
            if (!kind || kind.value() == media::DecodedKind::End)
                break;
            const AVFrame &frame = d.frame(kind.value());
            (void)frame;
            (void)d.time(kind.value());
        }
        if (d.videoFrameDuration() <= 0.0)
            std::abort();
    }
    auto frames = media::DvSourceFrames::open(path);
    if (frames) {
        media::SourceFrameData source;
        for (std::int64_t i = 0; i < 8; ++i)
            frames->read(i, source, true);
    }
    return 0;
}
