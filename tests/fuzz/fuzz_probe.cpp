// The media prober and the file object built on it, on any bytes.
#include "core/avi_fichier.h"
#include "fuzz_input_file.h"
#include "media/decoding/avi_probe.h"
#include "media/decoding/ffmpeg_log.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace camlog;
    // FFmpeg's complaints about damaged files would fill the fuzzer's output.
    static const bool quiet = [] {
        media::RouteFfmpegLog({});
        return true;
    }();
    (void)quiet;
    static const media::AviProber prober;
    static const core::DateTimeLocale locale = core::DateTimeLocale::fallback();
    const auto path = fuzz::writeInputFile(data, size, ".avi");
    core::ProbeResult result;
    prober.Probe(path.string(), result);
    core::AviFileContext context;
    context.prober = &prober;
    context.locale = &locale;
    const core::TaviFichier file(path.string(), context);
    return 0;
}
