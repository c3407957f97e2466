// The RIFF walkers on any bytes: the header reader, the field locator and the header report.
#include "core/avi_param.h"
#include "core/avi_patch.h"
#include "core/riff_report.h"
#include "fuzz_input_file.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace camlog::core;
    const auto path = camlog::fuzz::writeInputFile(data, size, ".avi");
    const TFriendlyAviParam param(path);
    (void)param.VideoCodec();
    const AviFieldPositions positions = LocateFields(path.string());
    // A position is only ever inside the file.
    for (const std::int64_t at : {positions.HandlerPos, positions.ScalePos, positions.CompressionPos})
        if (at >= 0 && static_cast<std::uint64_t>(at) + 4 > size)
            std::abort();
    (void)ReadHandlerCode(path.string());
    RiffReportOptions options;
    options.locale = DateTimeLocale::fallback();
    const RiffReport report = BuildReport(path, options);
    if (report.lines.size() > 200000)
        std::abort();
    return 0;
}
