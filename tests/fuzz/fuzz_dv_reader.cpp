// The DV frame reader and its index loaders (OpenDML, idx1, movi walk, raw DV) on any bytes,
// and the source file that recipes open on top of them.
#include "fuzz_input_file.h"
#include "media/pipeline/dv_source_file.h"
#include "media/reading/dv_frame_reader.h"

#include <array>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace camlog;
    // Raw DV is known by its name as well as by its first block.
    const std::string extension = size > 0 && (data[0] & 1) != 0 ? ".dv" : ".avi";
    const auto path = fuzz::writeInputFile(data, size, extension);
    auto opened = media::DvFrameReader::open(path);
    if (opened) {
        media::DvFrameReader &reader = *opened.value();
        std::vector<std::uint8_t> frame;
        std::array<std::uint8_t, 480> prefix{};
        for (std::size_t i = 0; i < reader.frameCount() && i < 16; ++i) {
            const media::SampleEntry entry = reader.frame(i);
            // Every sample lies wholly inside the file.
            if (entry.offset > size || entry.size > size - entry.offset)
                std::abort();
            reader.readFrame(i, frame);
            reader.readFramePrefix(i, prefix);
        }
    }
    const auto source = media::DvSourceFile::open(path);
    if (source)
        (void)source.value()->duration();
    return 0;
}
