// Writes PCM audio into a RIFF WAVE file, streamed, with the header sized at the end.
#pragma once

#include "core/expected.h"
#include "core/replacing_file.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>

namespace camlog::media {

// The PCM format of the file: written as a plain 16-byte WAVEFORMATEX block (format tag 1).
struct WavFormat {
    int sampleRate = 48000;
    int channels = 2;
    int bitsPerSample = 16;
    int blockAlign() const { return channels * (bitsPerSample / 8); }
    bool operator==(const WavFormat &) const = default;
};

enum class WavErrorCode {
    BadFormat,   // no channels, an unusable rate or a sample size that is not whole bytes
    WriteFailed, // the file could not be created, written or put in place (full disk, ...)
    TooLarge,    // the data would pass the 4 GiB that the 32-bit RIFF sizes can describe
};
using WavError = core::Error<WavErrorCode>;

// Layout: "RIFF" <D + H - 8> "WAVE" "fmt " <16> <format block> "data" <D> <samples>, with
// H = 44 the header size and D the data bytes. The file is written under a temporary name:
// the data first, from byte H, then at finish() the header with the final sizes, and only
// then is it renamed onto the destination. So the destination never holds a file whose
// sizes are wrong: an error or a writer dropped without finish() leaves it untouched, and a
// run stopped early finishes a shorter file whose header matches its data.
class WavWriter {
public:
    static constexpr std::size_t kHeaderSize = 44;

    static core::Expected<std::unique_ptr<WavWriter>, WavErrorCode> create(const std::filesystem::path &destination,
                                                                           const WavFormat &format);
    // Abandons the temporary file unless finish() succeeded.
    ~WavWriter();
    WavWriter(const WavWriter &) = delete;
    WavWriter &operator=(const WavWriter &) = delete;

    // Appends samples, already in the file's byte order (little-endian). A block that would
    // carry the file past the 32-bit sizes is refused whole (TooLarge) and nothing of it is
    // written; the data before it can still be finished.
    core::Expected<std::size_t, WavErrorCode> write(std::span<const std::uint8_t> bytes);
    // 16-bit samples in host order (little-endian on the machines we build for).
    core::Expected<std::size_t, WavErrorCode> write(std::span<const std::int16_t> samples);

    // Writes the header with the final sizes and puts the file in place. Returns the file size.
    core::Expected<std::uint64_t, WavErrorCode> finish();

    const WavFormat &format() const { return m_format; }
    std::uint64_t dataBytes() const { return m_dataBytes; }

private:
    WavWriter(const std::filesystem::path &destination, const WavFormat &format);

    WavFormat m_format;
    core::ReplacingFile m_file;
    std::uint64_t m_dataBytes = 0;
};

} // namespace camlog::media
