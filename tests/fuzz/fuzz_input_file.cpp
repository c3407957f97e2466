// The fuzz input as a file of this process.
#include "fuzz_input_file.h"

#include <cstdio>
#include <set>
#include <stdexcept>
#include <system_error>
#include <unistd.h>

namespace camlog::fuzz {

namespace {

// The files written by this process, removed when it ends normally.
struct InputFiles {
    std::set<std::filesystem::path> paths;
    ~InputFiles()
    {
        for (const auto &path : paths) {
            std::error_code ignored;
            std::filesystem::remove(path, ignored);
        }
    }
};

} // namespace

std::filesystem::path writeInputFile(const std::uint8_t *data, std::size_t size, const std::string &extension)
{
    static InputFiles written;
    const auto path =
        std::filesystem::temp_directory_path() / ("camlog-fuzz-" + std::to_string(::getpid()) + extension);
    written.paths.insert(path);
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        throw std::runtime_error("cannot write " + path.string());
    if (size > 0)
        std::fwrite(data, 1, size, file);
    std::fclose(file);
    return path;
}

} // namespace camlog::fuzz
