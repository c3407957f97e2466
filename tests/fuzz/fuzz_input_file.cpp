// The fuzz input as a file of this process.
#include "fuzz_input_file.h"

#include <cstdio>
#include <stdexcept>
#include <unistd.h>

namespace camlog::fuzz {

std::filesystem::path writeInputFile(const std::uint8_t *data, std::size_t size, const std::string &extension)
{
    const auto path = std::filesystem::temp_directory_path()
        / ("camlog-fuzz-" + std::to_string(::getpid()) + extension);
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        throw std::runtime_error("cannot write " + path.string());
    if (size > 0)
        std::fwrite(data, 1, size, file);
    std::fclose(file);
    return path;
}

} // namespace camlog::fuzz
