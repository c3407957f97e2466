// The scn file beside a video: its name, the scene list writer and reader, and the lists shown without one.
#include "scenes/scn_file.h"

#include "core/text_encoding.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace camlog::scenes {

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kHeaderStart[] = {0x63, 0x26, 0x01, 0x00, 0x04, 0x00, 0x00, 0x00, 0xFF, 0xFF, 0x03, 0x00,
                                         0x0A, 0x00, 'S',  'o',  'u',  'r',  'c',  'e',  'T',  'a',  'p',  'e'};
constexpr std::uint8_t kHeaderEnd[] = {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x00};
constexpr std::uint8_t kClipClass[] = {0xFF, 0xFF, 0x01, 0x00, 0x04, 0x00, 'C', 'l', 'i', 'p'};
constexpr std::uint8_t kSceneClass[] = {0xFF, 0xFF, 0x01, 0x00, 0x05, 0x00, 'S', 'c', 'e', 'n', 'e'};
constexpr std::uint8_t kFirstMiddle[] = {0x00, 0x00, 0x00, 0x00, 0x01, 0x80};
constexpr std::uint8_t kLaterMiddle[] = {0x00, 0x00, 0x00, 0x00, 0x07, 0x00};
constexpr std::uint8_t kCaptionFlag = 0x80;
constexpr std::uint8_t kOffsetFlag = 0x40;

const char *const kUniqueTitle = "Unique Scene";
const char *const kUniqueSubtitle = "representing a video not yet analyzed";
const char *const kErrorTitle = "Error in the scn file";

template <std::size_t N> void put(Bytes &out, const std::uint8_t (&bytes)[N])
{
    out.insert(out.end(), bytes, bytes + N);
}

void putByte(Bytes &out, std::uint8_t b)
{
    out.push_back(b);
}

void putInt32(Bytes &out, std::int64_t value)
{
    // Two's complement of the low 32 bits, as the field has always been stored.
    const auto v = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// FF FE FF, the unit count, the UTF-16LE units; the text is already within kScnStringMaxUnits.
void putUnicode(Bytes &out, std::u16string_view text)
{
    out.push_back(0xFF);
    out.push_back(0xFE);
    out.push_back(0xFF);
    out.push_back(static_cast<std::uint8_t>(text.size()));
    for (char16_t unit : text) {
        out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        out.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
}

std::u16string storedText(std::string_view utf8)
{
    return core::TruncateUtf16(core::Utf8ToUtf16(utf8), kScnStringMaxUnits);
}

// The tail shared by both record forms: picture offset, then the caption.
void putTail(Bytes &out, const TSceneClass &scene, bool hasCaption, bool hasOffset)
{
    if (hasOffset)
        putInt32(out, scene.pictureOffset);
    if (hasCaption)
        putUnicode(out, storedText(scene.title + "\r\n" + scene.subtitle));
}

// Reads the scn layout from a regular file; every read is checked, nothing is read beyond
// what the file holds.
class ScnReader {
public:
    explicit ScnReader(std::FILE *file) : m_file(file) {}

    bool bytes(std::uint8_t *out, std::size_t n) { return std::fread(out, 1, n, m_file) == n; }

    bool skip(std::size_t n)
    {
        std::uint8_t buffer[64];
        while (n > 0) {
            const std::size_t step = n < sizeof buffer ? n : sizeof buffer;
            if (!bytes(buffer, step))
                return false;
            n -= step;
        }
        return true;
    }

    bool int32(std::int32_t &out)
    {
        std::uint8_t b[4];
        if (!bytes(b, 4))
            return false;
        const std::uint32_t v =
            b[0] | (std::uint32_t{b[1]} << 8) | (std::uint32_t{b[2]} << 16) | (std::uint32_t{b[3]} << 24);
        out = static_cast<std::int32_t>(v);
        return true;
    }

    // The string forms a scn file may hold, whoever wrote it: 8-bit text (from Windows,
    // so Windows-1252) with a one- or two-byte length, or the UTF-16 form this program writes.
    bool string(std::string &out)
    {
        out.clear();
        std::uint8_t b = 0;
        if (!bytes(&b, 1))
            return false;
        if (b == 0)
            return true;
        if (b < 255)
            return ansi(b, out);
        std::uint8_t w[2];
        if (!bytes(w, 2))
            return false;
        const unsigned length = w[0] | (unsigned{w[1]} << 8);
        if (length == 0)
            return true;
        if (length < 1024)
            return ansi(length, out);
        if (length != 0xFFFE)
            return true; // an unknown form: empty, nothing more belongs to it
        std::uint8_t units = 0;
        if (!bytes(&units, 1))
            return false;
        if (units == 0 || units == 255)
            return true;
        std::uint8_t data[2 * 254];
        if (!bytes(data, 2u * units))
            return false;
        std::u16string text(units, u'\0');
        for (unsigned i = 0; i < units; ++i)
            text[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
        out = core::Utf16ToUtf8(text);
        return true;
    }

private:
    bool ansi(std::size_t n, std::string &out)
    {
        std::string raw(n, '\0');
        if (!bytes(reinterpret_cast<std::uint8_t *>(raw.data()), n))
            return false;
        out = core::Windows1252ToUtf8(raw);
        return true;
    }

    std::FILE *m_file;
};

struct FileCloser {
    void operator()(std::FILE *file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Regular files only: a folder or a pipe named *.scn is no scn file, and opening a pipe
// without O_NONBLOCK would wait for a writer.
FilePtr openRegular(const std::filesystem::path &path, std::string &error)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = std::strerror(errno);
        return nullptr;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        error = "not a regular file";
        ::close(fd);
        return nullptr;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    std::FILE *file = ::fdopen(fd, "rb");
    if (file == nullptr) {
        error = std::strerror(errno);
        ::close(fd);
    }
    return FilePtr(file);
}

// Title from the first line, subtitle from the second; lines end with CR LF, CR or LF.
void splitCaption(const std::string &caption, TSceneClass &scene)
{
    std::string lines[2];
    std::size_t at = 0;
    for (std::string &line : lines) {
        if (at > caption.size())
            break;
        const std::size_t stop = caption.find_first_of("\r\n", at);
        if (stop == std::string::npos) {
            line = caption.substr(at);
            at = caption.size() + 1;
            break;
        }
        line = caption.substr(at, stop - at);
        at = stop + 1;
        if (caption[stop] == '\r' && at < caption.size() && caption[at] == '\n')
            ++at;
    }
    scene.title = lines[0];
    scene.subtitle = lines[1];
}

// The tail of a record: the picture offset and the caption, as the flags announce them.
bool readTail(ScnReader &reader, bool hasCaption, bool hasOffset, TSceneClass &scene)
{
    if (hasOffset && !reader.int32(scene.pictureOffset))
        return false;
    if (hasCaption) {
        std::string caption;
        if (!reader.string(caption))
            return false;
        splitCaption(caption, scene);
    }
    return true;
}

void addScene(SceneList &list, std::unique_ptr<TSceneClass> scene)
{
    scene->number = static_cast<std::int32_t>(list.size()) + 1;
    SceneItem item;
    item.label = SceneLabel(*scene);
    item.scene = std::move(scene);
    list.push_back(std::move(item));
}

ScnReadResult failure(ScnReadError error, const std::filesystem::path &path, const std::string &why)
{
    return {error, "\"" + path.string() + "\": " + why};
}

SceneItem labelledFirstScene(std::unique_ptr<TSceneClass> scene, bool errorMarker)
{
    scene->number = 1;
    SceneItem item;
    item.label = "1: " + scene->title;
    item.scene = std::move(scene);
    item.errorMarker = errorMarker;
    return item;
}

} // namespace

TwriteScene::TwriteScene(const std::string &videoPath)
    : m_videoPath(storedText(videoPath)),
      m_file(ScnFileName(videoPath))
{
    Bytes header;
    put(header, kHeaderStart);
    putUnicode(header, m_videoPath);
    put(header, kHeaderEnd);
    m_countPosition = header.size();
    m_file.append(header.data(), header.size());
}

TwriteScene::~TwriteScene()
{
    close();
}

bool TwriteScene::WriteScene(const TSceneClass &scene)
{
    if (!ok())
        return false;
    if (m_count >= kScnMaxScenes) {
        // A count that wrapped round would announce the wrong records: refuse the whole list.
        m_error = "\"" + scnPath().string() + "\": more than " + std::to_string(kScnMaxScenes) + " scenes";
        m_file.abandon();
        return false;
    }
    const bool hasCaption = !scene.title.empty() || !scene.subtitle.empty();
    const bool hasOffset = scene.pictureOffset != 0;
    const std::uint8_t a = hasCaption ? kCaptionFlag : 0;
    const std::uint8_t b = hasOffset ? kOffsetFlag : 0;

    Bytes record;
    if (m_count == 0) {
        record.push_back(0); // the count field, set below
        record.push_back(0);
        put(record, kClipClass);
        putByte(record, 0x50);
        putByte(record, a);
        putByte(record, b);
        putByte(record, 0x00);
        put(record, kSceneClass);
        putUnicode(record, u"");
        putInt32(record, 0);
        putInt32(record, scene.end);
        put(record, kFirstMiddle);
        putUnicode(record, m_videoPath);
        putInt32(record, 0);
        putInt32(record, 0);
        putInt32(record, scene.end);
    } else {
        const std::int64_t length = std::int64_t{scene.end} - scene.start;
        const std::uint8_t opening[] = {0x03, 0x80, 0xF0, a, b, 0x00, 0x05, 0x80};
        put(record, opening);
        putUnicode(record, u"");
        putInt32(record, scene.start);
        putInt32(record, length);
        put(record, kLaterMiddle);
        putInt32(record, scene.start);
        putInt32(record, length);
        putInt32(record, scene.start);
    }
    putTail(record, scene, hasCaption, hasOffset);

    if (!m_file.append(record.data(), record.size()))
        return false;
    ++m_count;
    const std::uint8_t count[] = {static_cast<std::uint8_t>(m_count & 0xFF),
                                  static_cast<std::uint8_t>((m_count >> 8) & 0xFF)};
    return m_file.writeAt(m_countPosition, count, sizeof count);
}

bool TwriteScene::close()
{
    if (!m_error.empty())
        return false;
    return m_file.commit();
}

ScnReadResult ReadScnFile(const std::filesystem::path &scnPath, SceneList &list, const SceneContext &context)
{
    list.clear();
    std::string why;
    const FilePtr file = openRegular(scnPath, why);
    if (!file)
        return failure(ScnReadError::CannotOpen, scnPath, why);
    ScnReader reader(file.get());
    const auto truncated = [&] {
        return failure(ScnReadError::Truncated, scnPath, "the file ends inside a scene");
    };

    std::string ignored;
    std::uint8_t block[26];
    if (!reader.skip(24) || !reader.string(ignored) || !reader.bytes(block, 26))
        return truncated();
    const unsigned announced = block[8] + 256u * block[9];
    bool hasCaption = (block[21] & kCaptionFlag) != 0;
    bool hasOffset = (block[22] & kOffsetFlag) != 0;
    std::int32_t value = 0;
    std::int32_t firstEnd = 0;
    if (!reader.skip(9) || !reader.string(ignored) || !reader.int32(value) || !reader.int32(firstEnd) || !reader.skip(6)
        || !reader.string(ignored) || !reader.skip(12))
        return truncated();
    if (firstEnd < 0)
        return failure(ScnReadError::OutOfRange, scnPath, "scene 1 ends before the first frame");
    auto first = std::make_unique<TSceneClass>(0, firstEnd, context);
    if (!readTail(reader, hasCaption, hasOffset, *first))
        return truncated();
    addScene(list, std::move(first));

    for (unsigned k = 1; k < announced; ++k) {
        std::uint8_t opening[8];
        std::int32_t start = 0;
        std::int32_t length = 0;
        if (!reader.bytes(opening, 8) || !reader.string(ignored) || !reader.int32(start) || !reader.int32(length)
            || !reader.skip(6) || !reader.skip(12))
            return truncated();
        // Frame numbers count from 0 and a scene does not end before it starts: anything else
        // would be shown and exported as negative times.
        const std::int64_t end = std::int64_t{start} + length;
        if (start < 0 || length < 0)
            return failure(ScnReadError::OutOfRange, scnPath,
                           "scene " + std::to_string(k + 1)
                               + (start < 0 ? " starts before the first frame" : " ends before it starts"));
        if (end > std::numeric_limits<std::int32_t>::max())
            return failure(ScnReadError::OutOfRange, scnPath,
                           "scene " + std::to_string(k + 1) + " ends beyond the last possible frame");
        hasCaption = (opening[3] & kCaptionFlag) != 0;
        hasOffset = (opening[4] & kOffsetFlag) != 0;
        auto scene = std::make_unique<TSceneClass>(start, static_cast<std::int32_t>(end), context);
        if (!readTail(reader, hasCaption, hasOffset, *scene))
            return truncated();
        addScene(list, std::move(scene));
    }
    return {};
}

SceneList UniqueSceneList(std::int32_t frameCount, const SceneContext &context)
{
    auto scene = std::make_unique<TSceneClass>(0, frameCount, context);
    scene->title = kUniqueTitle;
    scene->subtitle = kUniqueSubtitle;
    SceneList list;
    list.push_back(labelledFirstScene(std::move(scene), false));
    return list;
}

ScnReadResult LoadSceneList(const std::string &videoPath, std::int32_t frameCount, const SceneContext &context,
                            SceneList &list)
{
    const std::filesystem::path scnPath = ScnFileName(videoPath);
    std::error_code error;
    // A dangling link or a folder still counts as a scn file that cannot be read.
    if (!std::filesystem::exists(std::filesystem::symlink_status(scnPath, error))) {
        list = UniqueSceneList(frameCount, context);
        return {};
    }
    ScnReadResult result = ReadScnFile(scnPath, list, context);
    if (!result.ok()) {
        auto marker = std::make_unique<TSceneClass>(0, 0, context);
        marker->title = kErrorTitle;
        list.push_back(labelledFirstScene(std::move(marker), true));
    }
    return result;
}

ScnWriteResult SaveSceneList(const std::string &videoPath, const SceneList &list)
{
    TwriteScene writer(videoPath);
    for (const SceneItem &item : list) {
        if (item.errorMarker || !item.scene)
            continue;
        if (!writer.WriteScene(*item.scene))
            break;
    }
    if (writer.close())
        return {};
    return {false, writer.errorMessage()};
}

} // namespace camlog::scenes
