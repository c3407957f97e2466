// The RIFF header report: walks one AVI file's chunks and prints what it reads.
#include "core/riff_report.h"

#include "core/replacing_file.h"

#include "core/avi_param.h"
#include "core/four_cc.h"
#include "core/riff_chunks.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <span>
#include <system_error>

namespace camlog::core {

namespace {

constexpr int kLineWidth = 50;

std::string Hex(std::uint64_t value, int digits = 8)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    do {
        out.insert(out.begin(), kDigits[value & 0xF]);
        value >>= 4;
    } while (value != 0);
    if (static_cast<int>(out.size()) < digits)
        out.insert(0, static_cast<std::size_t>(digits) - out.size(), '0');
    return out;
}

// The four characters of a code; bytes that are not printable ASCII (a zero handler, a
// damaged identifier) are shown as '.' so the line stays valid UTF-8 text.
std::string Code(FourCC code)
{
    std::string out = code.toString();
    for (char &c : out)
        if (c < 0x20 || c > 0x7E)
            c = '.';
    return out;
}

std::size_t CharacterCount(std::string_view text)
{
    std::size_t count = 0;
    for (const char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++count;
    return count;
}

std::string Lower(std::string text)
{
    for (char &c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

enum class StreamKind { None, Video, Audio, Interleaved, Unknown };

// Lists nested deeper are named but not walked, and a report stops at this many lines: a
// real file gives a few hundred, a crafted one could give millions.
constexpr std::size_t kMaxReportLines = 100000;

class Walker {
public:
    Walker(RiffReader &in, const RiffReportOptions &options, std::vector<std::string> &lines)
        : m_in(in),
          m_options(options),
          m_lines(lines),
          m_lineLimit(lines.size() + kMaxReportLines)
    {
    }

    // Top-level loop: chunk after chunk until the file, a short read, garbage, the line
    // limit or a cancel ends it.
    void walkFile()
    {
        RiffChunks top(m_in, 0, m_in.size());
        while (top.position() < m_in.size()) {
            walkChunk(top, 0, true);
            if (stopped() || m_garbage)
                break;
        }
    }

    bool cancelled() const { return m_cancelled; }
    bool endReached() const { return m_endReached; }

private:
    bool stopped() const { return m_cancelled || m_endReached || m_tooLong; }

    // `WalkChunk`: the next chunk of chunks, which must end by the end of their range.
    void walkChunk(RiffChunks &chunks, int depth, bool topLevel)
    {
        if (m_options.cancelRequested && m_options.cancelRequested()) {
            m_cancelled = true;
            return;
        }
        if (m_lines.size() >= m_lineLimit) {
            m_lines.push_back(">>> The report stops here: it has reached " + std::to_string(kMaxReportLines)
                              + " lines");
            m_tooLong = true;
            return;
        }
        const auto chunk = chunks.next();
        if (!chunk) {
            m_endReached = true; // fewer than 8 bytes, or a short read
            return;
        }
        const std::string indent(static_cast<std::size_t>(depth) * 4, ' ');
        const FourCC id = chunk->id;
        if (topLevel && id != fcc::RIFF) {
            m_lines.push_back(">>> There are " + Hex(m_in.size() - chunk->start)
                              + " bytes of garbage at the end of the file");
            m_garbage = true;
            return;
        }
        static constexpr FourCC kFrameIds[] = {FourCC::fromString("01wb"), FourCC::fromString("00dc"),
                                               FourCC::fromString("00db")};
        const bool frameData = id == kFrameIds[0] || id == kFrameIds[1] || id == kFrameIds[2];
        if (!frameData)
            m_lines.push_back(indent + Code(id) + "  " + Hex(chunk->size));

        const std::uint64_t padded = std::uint64_t{chunk->size} + (chunk->size & 1u); // 0xFFFFFFFF pads to 2^32
        const std::uint64_t left = chunks.end() - chunk->data();
        if (padded > left) {
            m_lines.push_back(indent + ">>> Bad chunk length:");
            m_lines.push_back(indent + ">>> " + Hex(padded) + " instead of " + Hex(left));
        }
        if (padded == 0)
            return;
        if (chunk->hasListType && std::min(padded, left) >= 4)
            walkList(chunks, *chunk, depth, indent);
        else
            dumpLeaf(id, indent, chunk->data(), chunk->end); // records stop before the pad byte
    }

    void walkList(const RiffChunks &chunks, const RiffChunk &list, int depth, const std::string &indent)
    {
        m_lines.push_back(indent + Code(list.listType));
        if (list.listType == fcc::movi)
            return;
        RiffChunks children = chunks.children(list);
        if (children.tooDeep()) {
            m_lines.push_back(indent + ">>> Lists nested too deep: not walked");
            return;
        }
        while (children.left() >= 8) {
            walkChunk(children, depth + 1, false);
            if (stopped())
                return;
        }
    }

    // Reads the record at the leaf's read position, at most what is left of the chunk; the
    // part of the record beyond the chunk reads as zeros.
    template <std::size_t N> bool readRecord(std::array<std::uint8_t, N> &buffer, std::uint64_t end)
    {
        buffer.fill(0);
        const std::size_t wanted = static_cast<std::size_t>(std::min<std::uint64_t>(N, end - m_at));
        if (m_in.readAt(m_at, std::span<std::uint8_t>(buffer.data(), wanted)) != wanted) {
            m_endReached = true;
            return false;
        }
        m_at += wanted;
        return true;
    }

    void line(const std::string &indent, std::string_view label, const std::string &value)
    {
        m_lines.push_back(indent + std::string(label) + value);
    }
    void banner(const std::string &indent, std::string_view title) { m_lines.push_back(Banner(indent, '-', title)); }

    void dumpLeaf(FourCC id, const std::string &indent, std::uint64_t data, std::uint64_t end)
    {
        m_at = data;
        const std::string name = id.toString();
        if (id == fcc::strh) {
            m_lines.emplace_back();
            dumpStreamHeader(indent, end);
            m_lines.emplace_back();
        } else if (id == fcc::avih) {
            m_lines.emplace_back();
            dumpMainHeader(indent, end);
            m_lines.emplace_back();
        } else if (id == fcc::strf
                   && (m_kind == StreamKind::Video || m_kind == StreamKind::Audio
                       || m_kind == StreamKind::Interleaved)) {
            m_lines.emplace_back();
            dumpStreamFormat(indent, end);
            m_lines.emplace_back();
        } else if (id == fcc::indx || name.starts_with("ix")) {
            m_lines.emplace_back();
            dumpIndexHeader(indent, end);
            m_lines.emplace_back();
        }
    }

    void dumpStreamHeader(const std::string &indent, std::uint64_t end)
    {
        std::array<std::uint8_t, AviStreamHeader::kSize> raw{};
        if (!readRecord(raw, end))
            return;
        const auto h = AviStreamHeader::fromBytes(raw);
        if (h.fccType == fcc::vids)
            m_kind = StreamKind::Video;
        else if (h.fccType == fcc::auds)
            m_kind = StreamKind::Audio;
        else if (h.fccType == fcc::iavs)
            m_kind = StreamKind::Interleaved;
        else
            m_kind = StreamKind::Unknown;
        banner(indent, m_kind == StreamKind::Video         ? "(Video)"
                       : m_kind == StreamKind::Audio       ? "(Audio)"
                       : m_kind == StreamKind::Interleaved ? "(Interleaved)"
                                                           : "(Unknown)");
        banner(indent, "Start of AVI Stream Header");
        line(indent, "FourccType = ", Code(h.fccType));
        line(indent, "FourccHandler = ", Code(h.fccHandler));
        line(indent, "Flags = ", Hex(h.dwFlags));
        line(indent, "Priority = ", std::to_string(h.wPriority));
        line(indent, "Language = ", Hex(h.wLanguage, 4));
        line(indent, "InitialFrames = ", std::to_string(h.dwInitialFrames));
        line(indent, "Scale = ", std::to_string(h.dwScale));
        line(indent, "Rate = ", std::to_string(h.dwRate));
        line(indent, "Start = ", std::to_string(h.dwStart));
        line(indent, "Length = ", std::to_string(h.dwLength));
        line(indent, "SuggestedBufferSize = ", std::to_string(h.dwSuggestedBufferSize));
        line(indent, "Quality = ", Hex(h.dwQuality));
        line(indent, "SampleSize = ", std::to_string(h.dwSampleSize));
        line(indent, "rcFrame.Left = ", std::to_string(h.rcFrame.left));
        line(indent, "rcFrame.Top = ", std::to_string(h.rcFrame.top));
        line(indent, "rcFrame.Right = ", std::to_string(h.rcFrame.right));
        line(indent, "rcFrame.Bottom = ", std::to_string(h.rcFrame.bottom));
        banner(indent, "End of AVI Stream Header");
    }

    void dumpMainHeader(const std::string &indent, std::uint64_t end)
    {
        banner(indent, " Start of AVI Main Header ");
        std::array<std::uint8_t, AviMainHeader::kSize> raw{};
        if (!readRecord(raw, end))
            return;
        const auto h = AviMainHeader::fromBytes(raw);
        line(indent, "MicroSecPerFrame = ", std::to_string(h.dwMicroSecPerFrame));
        line(indent, "MaxBytesPerSec = ", std::to_string(h.dwMaxBytesPerSec));
        line(indent, "PaddingGranularity = ", std::to_string(h.dwPaddingGranularity));
        line(indent, "Flags = ", Hex(h.dwFlags));
        line(indent, "TotalFrames = ", std::to_string(h.dwTotalFrames));
        line(indent, "InitialFrames = ", std::to_string(h.dwInitialFrames));
        line(indent, "Streams = ", std::to_string(h.dwStreams));
        line(indent, "SuggestedBufferSize = ", std::to_string(h.dwSuggestedBufferSize));
        line(indent, "Width = ", std::to_string(h.dwWidth));
        line(indent, "Height = ", std::to_string(h.dwHeight));
        line(indent, "Reserved0 = ", Hex(h.dwReserved[0]));
        line(indent, "Reserved1 = ", Hex(h.dwReserved[1]));
        line(indent, "Reserved2 = ", Hex(h.dwReserved[2]));
        line(indent, "Reserved3 = ", Hex(h.dwReserved[3]));
        banner(indent, " End of Main Header ");
    }

    bool dumpDvInfo(const std::string &indent, std::uint64_t end)
    {
        banner(indent, "Start of DVInfo");
        std::array<std::uint8_t, DvInfo::kSize> raw{};
        if (!readRecord(raw, end))
            return false;
        const auto d = DvInfo::fromBytes(raw);
        line(indent, "DVAAuxSrc = ", Hex(d.dwDVAAuxSrc));
        line(indent, "DVAAuxCtl = ", Hex(d.dwDVAAuxCtl));
        line(indent, "DVAAuxSrc1 = ", Hex(d.dwDVAAuxSrc1));
        line(indent, "DVAAuxCtl1 = ", Hex(d.dwDVAAuxCtl1));
        line(indent, "DVVAuxSrc = ", Hex(d.dwDVVAuxSrc));
        line(indent, "DVVAuxCtl = ", Hex(d.dwDVVAuxCtl));
        line(indent, "DVReserved0 = ", Hex(d.dwDVReserved[0]));
        line(indent, "DVReserved1 = ", Hex(d.dwDVReserved[1]));
        banner(indent, "End of DVINfo");
        return true;
    }

    void dumpStreamFormat(const std::string &indent, std::uint64_t end)
    {
        if (m_kind == StreamKind::Interleaved) {
            dumpDvInfo(indent, end);
            return;
        }
        banner(indent, "Start of Stream Format Header");
        if (m_kind == StreamKind::Audio) {
            std::array<std::uint8_t, WaveFormatEx::kSize> raw{};
            if (!readRecord(raw, end))
                return;
            const auto w = WaveFormatEx::fromBytes(raw);
            line(indent, "FormatTag = ", std::to_string(w.wFormatTag));
            line(indent, "Channels = ", std::to_string(w.nChannels));
            line(indent, "SamplesPerSec = ", std::to_string(w.nSamplesPerSec));
            line(indent, "AvgBytesPerSec = ", std::to_string(w.nAvgBytesPerSec));
            line(indent, "BlockAlign = ", std::to_string(w.nBlockAlign));
            line(indent, "BitsPerSample = ", std::to_string(w.wBitsPerSample));
            line(indent, "cbSize = ", std::to_string(w.cbSize));
        } else {
            std::array<std::uint8_t, BitmapInfoHeader::kSize> raw{};
            if (!readRecord(raw, end))
                return;
            const auto b = BitmapInfoHeader::fromBytes(raw);
            line(indent, "biSize = ", std::to_string(b.biSize));
            line(indent, "biWidth = ", std::to_string(b.biWidth));
            line(indent, "biHeight = ", std::to_string(b.biHeight));
            line(indent, "biPlanes = ", std::to_string(b.biPlanes));
            line(indent, "biBitCount = ", std::to_string(b.biBitCount));
            line(indent, "biCompression = ", Code(b.biCompression));
            line(indent, "biSizeImage = ", std::to_string(b.biSizeImage));
            line(indent, "biXPelsPerMeter = ", std::to_string(b.biXPelsPerMeter));
            line(indent, "biYPelsPerMeter = ", std::to_string(b.biYPelsPerMeter));
            line(indent, "biClrUsed = ", std::to_string(b.biClrUsed));
            line(indent, "biClrImportant = ", std::to_string(b.biClrImportant));
            const std::string compression = Lower(b.biCompression.toString());
            if (end - m_at >= DvInfo::kSize
                && (compression == "dvsd" || compression == "dsvd" || compression == "csvd")) {
                if (!dumpDvInfo(indent, end))
                    return;
            }
        }
        banner(indent, "End of AVI Stream Format");
    }

    void dumpIndexHeader(const std::string &indent, std::uint64_t end)
    {
        banner(indent, "Start of an Index");
        std::array<std::uint8_t, AviIndexHeader::kSize> raw{};
        if (!readRecord(raw, end))
            return;
        const auto x = AviIndexHeader::fromBytes(raw);
        line(indent, "wLongsPerEntry = ", Hex(x.wLongsPerEntry, 4));
        line(indent, "bIndexSubType = ", std::to_string(x.bIndexSubType));
        line(indent, "bIndexType = ", std::to_string(x.bIndexType));
        line(indent, "nEntriesInUse = ", Hex(x.nEntriesInUse));
        line(indent, "dwChunkId = ", Code(x.dwChunkId));
        line(indent, "qwBaseOffset = ", Hex(x.qwBaseOffset, 16));
        line(indent, "dwReserved_3 = ", Hex(x.dwReserved3));
        banner(indent, "Fin de l'Index");
    }

    RiffReader &m_in;
    const RiffReportOptions &m_options;
    std::vector<std::string> &m_lines;
    StreamKind m_kind = StreamKind::None; // of the last `strh`, for the `strf` after it
    bool m_cancelled = false;
    bool m_endReached = false;
    bool m_garbage = false;
    bool m_tooLong = false;
    const std::size_t m_lineLimit;
    std::uint64_t m_at = 0; // where the leaf being dumped is read next
};

} // namespace

std::string Banner(std::string_view prefix, char fill, std::string_view title)
{
    const long c =
        (kLineWidth - static_cast<long>(CharacterCount(prefix)) - static_cast<long>(CharacterCount(title))) / 2;
    const std::string side(c > 0 ? static_cast<std::size_t>(c) : 0, fill);
    std::string out(prefix);
    out += side;
    out += title;
    out += side;
    return out;
}

RiffReport BuildReport(const std::filesystem::path &path, const RiffReportOptions &options)
{
    RiffReport report;
    RiffReader in(path);
    if (!in.isOpen())
        return report;

    auto &lines = report.lines;
    const DateTimeLocale locale = options.locale ? *options.locale : DateTimeLocale::current();
    lines.emplace_back(kLineWidth, '-');
    lines.emplace_back();
    lines.push_back(Banner("", '*', "  Header of the file " + path.filename().string() + "  "));
    lines.emplace_back();
    const std::string date = FormatDateTimePattern("yyyy/mm/d", options.now, locale).value_or("");
    const std::string time = FormatDateTimePattern("h:mm:ss", options.now, locale).value_or("");
    lines.push_back(Banner("", ' ', "analysed on " + date + " at " + time));
    lines.push_back(Banner("", ' ', options.programTitle));
    lines.emplace_back();
    lines.push_back(Banner("", ' ', "Visit my website:"));
    lines.push_back(Banner("", ' ', options.webSite));
    lines.emplace_back();
    lines.push_back(Banner("", '-', " Start of Avi RIFF "));

    Walker walker(in, options, lines);
    walker.walkFile();

    lines.emplace_back();
    if (walker.cancelled()) {
        lines.push_back(Banner("", '-', "Canceled by user"));
        lines.emplace_back();
        report.end = RiffReportEnd::Cancelled;
        return report;
    }
    report.end = RiffReportEnd::Complete;
    if (walker.endReached()) {
        lines.push_back(Banner("", ' ', "Unexpected end"));
        lines.emplace_back();
        report.end = RiffReportEnd::UnexpectedEnd;
    }
    lines.push_back(Banner("", '-', " End of Header "));
    lines.push_back(Banner("", ' ', path.string()));
    lines.emplace_back();
    lines.emplace_back(kLineWidth, '-');
    return report;
}

std::filesystem::path ReportLogPath(const std::filesystem::path &path)
{
    auto out = path;
    out.replace_extension(".log");
    return out;
}

Expected<bool, RiffReportSaveError> SaveReport(const std::filesystem::path &target,
                                               const std::vector<std::string> &lines)
{
    ReplacingFile file(target);
    for (const auto &text : lines) {
        file.append(text.data(), text.size());
        file.append("\n", 1);
    }
    if (!file.commit())
        return Error<RiffReportSaveError>{RiffReportSaveError::Unwritable, file.errorMessage()};
    return true;
}

} // namespace camlog::core
