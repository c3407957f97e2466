// In-place patches of an AVI header: locating the patchable fields, then overwriting them.
#include "core/avi_patch.h"

#include "core/avi_param.h"
#include "core/little_endian.h"
#include "core/riff_chunks.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace camlog::core {

namespace {

enum class StreamKind { None, Video, Audio, Interleaved, Other };

struct Locator {
    AviFieldPositions positions;
    StreamKind kind = StreamKind::None;

    // A chunk that claims more than its parent holds (a capture cut short) is read as far
    // as its parent goes; positions are checked against that.
    void walkList(RiffChunks &chunks)
    {
        while (const auto chunk = chunks.next()) {
            const FourCC id = chunk->id;
            if (id == fcc::LIST) {
                if (!chunk->isList())
                    return;
                if (chunk->listType != fcc::movi) {
                    auto children = chunks.children(*chunk);
                    walkList(children);
                }
            } else if (id == fcc::strh) {
                readStreamHeader(chunks, *chunk);
            } else if (id == fcc::strf && kind == StreamKind::Video
                       && chunk->available() >= BitmapInfoHeader::kCompressionOffset + 4) {
                positions.CompressionPos =
                    static_cast<std::int64_t>(chunk->data() + BitmapInfoHeader::kCompressionOffset);
            }
        }
    }

    void readStreamHeader(const RiffChunks &chunks, const RiffChunk &chunk)
    {
        std::array<std::uint8_t, 4> type{};
        if (chunk.available() < type.size() || chunks.readData(chunk, type) != type.size()) {
            kind = StreamKind::Other;
            return;
        }
        const FourCC fccType = FourCC::fromBytes(type.data());
        if (fccType == fcc::vids)
            kind = StreamKind::Video;
        else if (fccType == fcc::auds)
            kind = StreamKind::Audio;
        else if (fccType == fcc::iavs)
            kind = StreamKind::Interleaved;
        else
            kind = StreamKind::Other;
        if (kind != StreamKind::Video && kind != StreamKind::Interleaved)
            return;
        // The positions belong to this stream now: a format position left by an earlier
        // video stream must not be written together with this stream's handler.
        positions.CompressionPos = -1;
        positions.HandlerPos = -1;
        positions.ScalePos = -1;
        if (chunk.available() >= AviStreamHeader::kHandlerOffset + 4)
            positions.HandlerPos = static_cast<std::int64_t>(chunk.data() + AviStreamHeader::kHandlerOffset);
        if (chunk.available() >= AviStreamHeader::kRateOffset + 4)
            positions.ScalePos = static_cast<std::int64_t>(chunk.data() + AviStreamHeader::kScaleOffset);
    }
};

// Writes each (position, 4 bytes) in place. Nothing is written unless every field lies
// inside the file, the file is a regular file and its owner may write it (checked on the
// open descriptor, since a privileged user could open a read-only file anyway).
bool writeFields(const std::string &path, const std::vector<std::pair<std::int64_t, std::uint32_t>> &fields)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return false;
    bool ok = true;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || (st.st_mode & S_IWUSR) == 0)
        ok = false;
    for (const auto &[position, value] : fields) {
        if (position < 0 || position + 4 > st.st_size)
            ok = false;
    }
    for (std::size_t i = 0; ok && i < fields.size(); ++i) {
        std::array<std::uint8_t, 4> bytes{};
        writeLe32(bytes.data(), fields[i].second);
        ssize_t written = -1;
        do {
            written = ::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(fields[i].first));
        } while (written < 0 && errno == EINTR);
        ok = written == static_cast<ssize_t>(bytes.size());
    }
    if (::close(fd) != 0)
        ok = false;
    return ok;
}

} // namespace

AviFieldPositions LocateFields(const std::string &path)
{
    RiffReader reader(path);
    Locator locator;
    if (!reader.isOpen())
        return locator.positions;
    RiffChunks top(reader, 0, reader.size());
    while (const auto riff = top.next()) {
        if (riff->id != fcc::RIFF || !riff->isList())
            break;
        auto children = top.children(*riff);
        locator.walkList(children);
    }
    return locator.positions;
}

std::optional<FourCC> ReadHandlerCode(const std::string &path)
{
    const AviFieldPositions positions = LocateFields(path);
    if (positions.HandlerPos < 0)
        return std::nullopt;
    RiffReader reader(path);
    std::array<std::uint8_t, 4> bytes{};
    if (!reader.seek(static_cast<std::uint64_t>(positions.HandlerPos)) || !reader.readFully(bytes))
        return std::nullopt;
    return FourCC::fromBytes(bytes.data());
}

bool WriteHandlerCode(const std::string &path, FourCC code)
{
    const AviFieldPositions positions = LocateFields(path);
    if (positions.HandlerPos < 0)
        return false;
    std::vector<std::pair<std::int64_t, std::uint32_t>> fields{{positions.HandlerPos, code.value()}};
    if (positions.CompressionPos >= 0)
        fields.emplace_back(positions.CompressionPos, code.value());
    return writeFields(path, fields);
}

bool WriteFrameRate(const std::string &path, double fps)
{
    if (!std::isfinite(fps) || fps <= 0.0)
        return false;
    // nearbyint rounds half to even in the default rounding mode.
    const double scale = std::nearbyint(1'000'000.0 / fps);
    if (scale < 1.0 || scale > static_cast<double>(std::numeric_limits<std::uint32_t>::max()))
        return false;
    const AviFieldPositions positions = LocateFields(path);
    if (positions.ScalePos < 0)
        return false;
    return writeFields(path, {{positions.ScalePos, static_cast<std::uint32_t>(scale)},
                              {positions.ScalePos + 4, 1'000'000u}});
}

} // namespace camlog::core
