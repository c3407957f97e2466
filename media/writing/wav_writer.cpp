// Writes PCM audio into a RIFF WAVE file, streamed, with the header sized at the end.
#include "media/writing/wav_writer.h"

#include <array>
#include <bit>
#include <cstring>
#include <limits>
#include <vector>

namespace camlog::media {

namespace {

constexpr std::uint32_t kFormatBlockSize = 16;
constexpr std::uint64_t kLargestFile = std::numeric_limits<std::uint32_t>::max();

WavError Fail(WavErrorCode code, std::string message)
{
    return WavError{code, std::move(message)};
}

void Put16(std::uint8_t *at, std::uint32_t v)
{
    at[0] = static_cast<std::uint8_t>(v);
    at[1] = static_cast<std::uint8_t>(v >> 8);
}
void Put32(std::uint8_t *at, std::uint32_t v)
{
    Put16(at, v & 0xFFFF);
    Put16(at + 2, v >> 16);
}

// `pad` is the byte that follows odd-sized data: RIFF chunks keep an even size.
std::array<std::uint8_t, WavWriter::kHeaderSize> Header(const WavFormat &format, std::uint32_t dataBytes,
                                                        std::uint32_t pad)
{
    std::array<std::uint8_t, WavWriter::kHeaderSize> h{};
    std::memcpy(&h[0], "RIFF", 4);
    Put32(&h[4], dataBytes + pad + static_cast<std::uint32_t>(WavWriter::kHeaderSize) - 8);
    std::memcpy(&h[8], "WAVEfmt ", 8);
    Put32(&h[16], kFormatBlockSize);
    Put16(&h[20], 1); // PCM
    Put16(&h[22], static_cast<std::uint32_t>(format.channels));
    Put32(&h[24], static_cast<std::uint32_t>(format.sampleRate));
    Put32(&h[28], static_cast<std::uint32_t>(format.sampleRate * format.blockAlign()));
    Put16(&h[32], static_cast<std::uint32_t>(format.blockAlign()));
    Put16(&h[34], static_cast<std::uint32_t>(format.bitsPerSample));
    std::memcpy(&h[36], "data", 4);
    Put32(&h[40], dataBytes);
    return h;
}

} // namespace

WavWriter::WavWriter(const std::filesystem::path &destination, const WavFormat &format)
    : m_format(format),
      m_file(destination)
{
}

WavWriter::~WavWriter() = default; // the replacing file abandons its temporary unless committed

core::Expected<std::unique_ptr<WavWriter>, WavErrorCode> WavWriter::create(const std::filesystem::path &destination,
                                                                           const WavFormat &format)
{
    if (format.channels < 1 || format.channels > 16 || format.sampleRate < 1 || format.sampleRate > 1'000'000
        || format.bitsPerSample < 8 || format.bitsPerSample > 32 || format.bitsPerSample % 8 != 0)
        return Fail(WavErrorCode::BadFormat, "unusable PCM format");
    std::unique_ptr<WavWriter> writer(new WavWriter(destination, format));
    // Room for the header, filled in at the end.
    const std::array<std::uint8_t, kHeaderSize> blank{};
    if (!writer->m_file.append(blank.data(), blank.size()))
        return Fail(WavErrorCode::WriteFailed, writer->m_file.errorMessage());
    return writer;
}

core::Expected<std::size_t, WavErrorCode> WavWriter::write(std::span<const std::uint8_t> bytes)
{
    if (!m_file.ok())
        return Fail(WavErrorCode::WriteFailed, m_file.errorMessage());
    if (kHeaderSize + m_dataBytes + bytes.size() + 1 > kLargestFile)
        return Fail(WavErrorCode::TooLarge, "the audio passes the 4 GiB that a WAV file can describe");
    if (!m_file.append(bytes.data(), bytes.size()))
        return Fail(WavErrorCode::WriteFailed, m_file.errorMessage());
    m_dataBytes += bytes.size();
    return bytes.size();
}

core::Expected<std::size_t, WavErrorCode> WavWriter::write(std::span<const std::int16_t> samples)
{
    if constexpr (std::endian::native == std::endian::little) {
        const auto *bytes = reinterpret_cast<const std::uint8_t *>(samples.data());
        return write(std::span<const std::uint8_t>(bytes, samples.size_bytes()));
    } else {
        std::vector<std::uint8_t> bytes(samples.size_bytes());
        for (std::size_t i = 0; i < samples.size(); ++i)
            Put16(&bytes[2 * i], static_cast<std::uint16_t>(samples[i]));
        return write(std::span<const std::uint8_t>(bytes));
    }
}

core::Expected<std::uint64_t, WavErrorCode> WavWriter::finish()
{
    const std::uint32_t pad = m_dataBytes % 2;
    if (m_file.committed())
        return kHeaderSize + m_dataBytes + pad;
    const auto header = Header(m_format, static_cast<std::uint32_t>(m_dataBytes), pad);
    const std::uint8_t zero = 0;
    if ((pad && !m_file.append(&zero, 1)) || !m_file.writeAt(0, header.data(), header.size()) || !m_file.commit())
        return Fail(WavErrorCode::WriteFailed, m_file.errorMessage());
    return kHeaderSize + m_dataBytes + pad;
}

} // namespace camlog::media
