// The playlist reader, the script file reader and the script line parser on any bytes.
#include "core/list_files.h"
#include "fuzz_input_file.h"
#include "headless/actions/script_file.h"
#include "headless/actions/script_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace camlog;
    const auto path = fuzz::writeInputFile(data, size, ".txt");
    (void)core::ReadPlaylist(path);
    const auto lines = ui::ReadScriptLines(path);
    if (lines)
        (void)ui::ParseScriptLines(lines.value());
    return 0;
}
