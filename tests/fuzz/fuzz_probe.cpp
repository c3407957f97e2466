// The media prober and the file object built on it, on any bytes.
#include "core/avi_fichier.h"
#include "fuzz_input_file.h"
#include "media/avi_probe.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace camlog;
    static const media::AviProber prober;
    static const core::DateTimeLocale locale = core::DateTimeLocale::fallback();
    const auto path = fuzz::writeInputFile(data, size, ".avi");
    core::ProbeResult result;
    prober.Probe(path.string(), result);
    core::FichierContext context;
    context.prober = &prober;
    context.locale = &locale;
    const core::TaviFichier file(path.string(), context);
    return 0;
}
