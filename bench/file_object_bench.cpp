// Opens every file of a folder as a file object and reports files per second and wrong datecodes.
#include "media/decoding/avi_probe.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

int main(int argc, char **argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s FOLDER EXPECTED_DATECODE [ROUNDS]\n", argv[0]);
        return 2;
    }
    const std::string expected = argv[2];
    const int rounds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 3;
    std::vector<std::string> paths;
    for (const auto &entry : std::filesystem::directory_iterator(argv[1]))
        paths.push_back(entry.path().string());
    std::sort(paths.begin(), paths.end());

    const camlog::media::AviProber prober;
    camlog::core::AviFileContext context;
    context.prober = &prober;
    context.datecodePattern = "yyyy:mm:dd hh:nn:ss";
    double best = 1e30;
    std::size_t wrong = 0;
    for (int round = 0; round < rounds; ++round) {
        wrong = 0;
        const auto start = std::chrono::steady_clock::now();
        for (const auto &path : paths) {
            const camlog::core::TaviFichier file(path, context);
            if (!file.IsDV || file.DatecodeText != expected) {
                if (round == 0)
                    std::fprintf(stderr, "wrong datecode: %s: '%s'\n", path.c_str(), file.DatecodeText.c_str());
                ++wrong;
            }
        }
        best = std::min(best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::printf("%zu %.6f %zu\n", paths.size(), best, wrong);
    return wrong == 0 ? 0 : 1;
}
