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
#include <system_error>
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

PatchError systemError(int error)
{
    return {PatchErrorCode::CannotWrite, std::error_code(error, std::generic_category()).message()};
}

using Fields = std::vector<std::pair<std::int64_t, std::uint32_t>>;

// Opens the file for writing, then writes each (position, 4 bytes) that fieldsOf gives for its
// header in place. Nothing is written unless the file is a regular file that its owner may
// write (checked on the open descriptor, since a privileged user could open a read-only file
// anyway) and every field lies inside it. The file is opened before its header is read, so
// that a file that cannot be written says so rather than seeming to have no header.
template <typename FieldsOf>
Expected<std::size_t, PatchErrorCode> writeFields(const std::string &path, FieldsOf fieldsOf)
{
    // O_NONBLOCK: a pipe without a reader fails at once instead of blocking the open.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0)
        return systemError(errno);
    const auto fail = [fd](PatchError error) -> Expected<std::size_t, PatchErrorCode> {
        ::close(fd);
        return error;
    };
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        return fail(systemError(errno));
    if (!S_ISREG(st.st_mode))
        return fail({PatchErrorCode::CannotWrite, "not a regular file"});
    if ((st.st_mode & S_IWUSR) == 0)
        return fail(systemError(EACCES));
    const Fields fields = fieldsOf();
    if (fields.empty())
        return fail({PatchErrorCode::NoField, "no video stream header with the field to change"});
    for (const auto &[position, value] : fields) {
        if (position < 0 || position + 4 > st.st_size)
            return fail({PatchErrorCode::NoField, "the field to change lies outside the file"});
    }
    for (const auto &[position, value] : fields) {
        std::array<std::uint8_t, 4> bytes{};
        writeLe32(bytes.data(), value);
        ssize_t written = -1;
        do {
            written = ::pwrite(fd, bytes.data(), bytes.size(), static_cast<off_t>(position));
        } while (written < 0 && errno == EINTR);
        if (written != static_cast<ssize_t>(bytes.size()))
            return fail(systemError(written < 0 ? errno : EIO));
    }
    if (::close(fd) != 0)
        return systemError(errno);
    return fields.size();
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

Expected<std::size_t, PatchErrorCode> WriteHandlerCode(const std::string &path, FourCC code)
{
    return writeFields(path, [&] {
        const AviFieldPositions positions = LocateFields(path);
        Fields fields;
        if (positions.HandlerPos < 0)
            return fields;
        fields.emplace_back(positions.HandlerPos, code.value());
        if (positions.CompressionPos >= 0)
            fields.emplace_back(positions.CompressionPos, code.value());
        return fields;
    });
}

Expected<std::size_t, PatchErrorCode> WriteFrameRate(const std::string &path, double fps)
{
    if (!std::isfinite(fps) || fps <= 0.0)
        return PatchError{PatchErrorCode::BadValue, "the frame rate is not a positive number"};
    // nearbyint rounds half to even in the default rounding mode.
    const double scale = std::nearbyint(1'000'000.0 / fps);
    if (scale < 1.0 || scale > static_cast<double>(std::numeric_limits<std::uint32_t>::max()))
        return PatchError{PatchErrorCode::BadValue, "an AVI header cannot hold this frame rate"};
    return writeFields(path, [&] {
        const AviFieldPositions positions = LocateFields(path);
        Fields fields;
        if (positions.ScalePos >= 0)
            fields = {{positions.ScalePos, static_cast<std::uint32_t>(scale)}, {positions.ScalePos + 4, 1'000'000u}};
        return fields;
    });
}

} // namespace camlog::core
