// The scn file reader on any bytes.
#include "fuzz_input_file.h"
#include "scenes/scn_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace camlog;
    static const core::DateTimeLocale locale = core::DateTimeLocale::fallback();
    const auto path = fuzz::writeInputFile(data, size, ".scn");
    scenes::SceneContext context;
    context.videoLoaded = size > 0 && (data[0] & 1) != 0;
    context.frameRate = 25.0;
    context.locale = &locale;
    scenes::SceneList list;
    (void)scenes::ReadScnFile(path, list, context);
    return 0;
}
