// In-place patches of an AVI header: locating the patchable fields, then overwriting them.
#include "core/avi_patch.h"

#include "core/avi_param.h"

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

// Lists nest two or three levels in real files; the bound stops a crafted file from
// recursing without end.
constexpr int kMaxDepth = 8;

struct Locator {
    RiffReader &reader;
    AviFieldPositions positions;
    StreamKind kind = StreamKind::None;

    void walkList(std::uint64_t end, int depth)
    {
        while (reader.leftBefore(end) >= 8) {
            if (!reader.ReadChunkHeader())
                return;
            const std::uint64_t data = reader.position();
            // A chunk that claims more than its parent holds (a capture cut short) is
            // read as far as its parent goes; positions are checked against it below.
            const std::uint64_t chunkEnd = std::min<std::uint64_t>(data + reader.ChunkSize(), end);
            const std::uint64_t available = chunkEnd - data;
            const FourCC id = reader.ChunkId();
            if (id == fcc::LIST) {
                if (!reader.ReadListType())
                    return;
                if (reader.ListType() != fcc::movi && depth < kMaxDepth)
                    walkList(chunkEnd, depth + 1);
            } else if (id == fcc::strh) {
                readStreamHeader(data, available);
            } else if (id == fcc::strf && kind == StreamKind::Video
                       && available >= BitmapInfoHeader::kCompressionOffset + 4) {
                positions.CompressionPos = static_cast<std::int64_t>(data + BitmapInfoHeader::kCompressionOffset);
            }
            if (!reader.seek(chunkEnd))
                return;
        }
    }

    void readStreamHeader(std::uint64_t data, std::uint64_t available)
    {
        std::array<std::uint8_t, 4> type{};
        if (available < type.size() || !reader.readFully(type)) {
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
        if (available >= AviStreamHeader::kHandlerOffset + 4)
            positions.HandlerPos = static_cast<std::int64_t>(data + AviStreamHeader::kHandlerOffset);
        if (available >= AviStreamHeader::kRateOffset + 4)
            positions.ScalePos = static_cast<std::int64_t>(data + AviStreamHeader::kScaleOffset);
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
        const std::uint32_t v = fields[i].second;
        const std::array<std::uint8_t, 4> bytes{static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                                                static_cast<std::uint8_t>(v >> 16),
                                                static_cast<std::uint8_t>(v >> 24)};
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
    Locator locator{reader, {}, StreamKind::None};
    if (!reader.isOpen())
        return locator.positions;
    while (reader.leftBefore(reader.size()) >= 8) {
        if (!reader.ReadChunkHeader() || reader.ChunkId() != fcc::RIFF || !reader.ReadListType())
            break;
        const std::uint64_t end = std::min<std::uint64_t>(reader.position() + reader.ChunkSize(), reader.size());
        locator.walkList(end, 0);
        if (!reader.seek(end))
            break;
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
