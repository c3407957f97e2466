// AVI sample tables: RIFF walk, OpenDML super and standard indexes, idx1, and the movi walk.
#include "media/reading/avi_index_loader.h"

#include "core/dv_frame.h"
#include "core/little_endian.h"
#include "core/riff_chunks.h"

#include <algorithm>
#include <array>
#include <set>

namespace camlog::media {

namespace {

using core::FourCC;
namespace fcc = core::fcc;

// No real header list or index comes near these sizes (a standard index of 2 million
// entries, an idx1 of 4 million); a corrupt size field reads only this far.
constexpr std::uint64_t kMaxHeaderListSize = 16 * 1024 * 1024;
constexpr std::uint64_t kMaxStandardIndexSize = 16 * 1024 * 1024;
constexpr std::uint64_t kMaxIdx1Size = 64 * 1024 * 1024;
// A standard index up to this size is read in one go on the word of the super index.
constexpr std::uint64_t kTrustedStandardIndexSize = 1024 * 1024;
// More than the strf of a DV or PCM stream holds.
constexpr std::size_t kMaxFormatBytes = 256;
// Stream numbers in chunk ids have two digits.
constexpr std::size_t kMaxStreams = 100;
// A RIFF holds a handful of top-level chunks (hdrl, JUNK, movi, idx1); more means garbage.
constexpr int kMaxRiffChildren = 4096;
constexpr int kMaxRecNesting = 4;
// OpenDML parts hold about 1 GB each.
constexpr int kMaxRiffs = 65536;

constexpr std::uint8_t kIndexOfIndexes = 0x00;
constexpr std::uint8_t kIndexOfChunks = 0x01;
constexpr std::uint32_t kNotKeyFrameBit = 0x80000000u;

using core::readLe16;
using core::readLe32;
using core::readLe64;
using core::RiffChunk;
using core::RiffChunks;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The stream a data chunk id belongs to ("00dc", "01wb", "00__" ...), or -1 for any other id.
int streamOfChunk(FourCC id)
{
    if (!isDigit(id.at(0)) || !isDigit(id.at(1)))
        return -1;
    return (id.at(0) - '0') * 10 + (id.at(1) - '0');
}

// Chunk ids are printable ASCII; anything else means the walk has left the chunk structure.
bool isPlausibleId(FourCC id)
{
    for (int i = 0; i < 4; ++i) {
        const auto c = static_cast<unsigned char>(id.at(i));
        if (c < 0x20 || c > 0x7E)
            return false;
    }
    return true;
}

bool isDvCompression(FourCC code)
{
    std::string s = code.toString();
    for (auto &c : s)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    static constexpr std::array<const char *, 11> kCodes = {"dvsd", "dsvd", "cdvc", "csvd", "dv25", "dvhd",
                                                            "dvsl", "dvcs", "dvc ", "dvpp", "dvp "};
    return std::any_of(kCodes.begin(), kCodes.end(), [&](const char *k) { return s == k; });
}

struct StreamInfo {
    FourCC type;
    FourCC handler;
    std::uint32_t length = 0;         // strh dwLength: the samples the header announces
    FourCC compression;               // biCompression of a vids stream's strf
    std::vector<std::uint8_t> format; // the first bytes of the strf
    std::vector<std::uint8_t> indx;   // data of the strl's indx chunk (may be cut short)
};

struct MoviList {
    std::uint64_t typePos = 0; // position of the 'movi' list type: idx1 offsets count from here
    std::uint64_t end = 0;     // end of the list's data, clamped to the file
    int riff = 0;              // 0 for the RIFF AVI, 1... for the AVIX parts
};

// One candidate set of sample tables, with the entry counts of the index they came from.
struct Tables {
    Tables() = default;
    // Empty tables for that many streams.
    explicit Tables(std::size_t streams) : samples(streams), listed(streams), beyondEnd(streams), repeats(streams) {}
    std::vector<std::vector<SampleEntry>> samples;
    std::vector<std::uint64_t> listed;    // entries the index listed per stream, kept or not
    std::vector<std::uint64_t> beyondEnd; // entries with data past the file's end, per stream
    std::vector<std::uint64_t> repeats;   // entries without data standing for the picture before
};

// The open file as the chunk iterator reads it: every read counts in bytesRead.
class ReaderBytes : public core::ByteSource {
public:
    explicit ReaderBytes(DvFrameReader &reader) : m_reader(reader) {}
    std::size_t readAt(std::uint64_t offset, std::span<std::uint8_t> out) override
    {
        return m_reader.readAt(offset, out);
    }

private:
    DvFrameReader &m_reader;
};

class Loader {
public:
    explicit Loader(DvFrameReader &reader, std::uint64_t fileSize)
        : m_reader(reader),
          m_file(reader),
          m_fileSize(fileSize)
    {
    }

    std::optional<ReadError> run(std::vector<StreamTable> &streams, int &dvStream, IndexSource &source);

private:
    std::size_t read(std::uint64_t offset, std::span<std::uint8_t> out) { return m_reader.readAt(offset, out); }

    void walkTopLevel();
    void walkRiff(RiffChunks &chunks, int riff);
    void parseHeaderList(const RiffChunk &list);
    void parseStreamList(RiffChunks &chunks);

    bool hasOpenDmlIndex() const;
    Tables loadOpenDml();
    void addStandardIndex(const std::uint8_t *data, std::size_t size, std::size_t stream, Tables &tables);
    Tables loadIdx1();
    Tables walkMovi();
    void walkUnindexedTails(Tables &tables);
    void walkList(RiffChunks &chunks, int recDepth, Tables &tables, bool &stop);

    int chooseDvStream(const Tables &tables) const;
    bool headerMatches(const SampleEntry &sample, int stream);
    bool usable(const Tables &tables, int stream);
    void keep(Tables &tables, std::size_t stream, std::uint64_t offset, std::uint32_t size) const;

    DvFrameReader &m_reader;
    ReaderBytes m_file;
    const std::uint64_t m_fileSize;
    std::vector<StreamInfo> m_streams;
    std::vector<MoviList> m_movis;
    bool m_sawHeaderList = false;
    bool m_hasIdx1 = false;
    std::uint64_t m_idx1Offset = 0;
    std::uint64_t m_idx1Size = 0; // clamped to the file
};

void Loader::walkTopLevel()
{
    RiffChunks top(m_file, 0, m_fileSize);
    int riff = 0;
    while (riff < kMaxRiffs) {
        const auto chunk = top.next();
        if (!chunk || chunk->id != fcc::RIFF || !chunk->hasListType)
            break;
        if (riff == 0 ? chunk->listType != fcc::AVI : chunk->listType != fcc::AVIX)
            break;
        // A size too small to hold the type is a writer that never came back to fill it
        // in: take the RIFF to run to the end of the file.
        const bool unfilled = chunk->size < 4;
        RiffChunks children(m_file, chunk->data() + 4, unfilled ? m_fileSize : chunk->end, 1);
        walkRiff(children, riff);
        ++riff;
        if (unfilled || chunk->declaredEnd() >= m_fileSize)
            break;
    }
}

void Loader::walkRiff(RiffChunks &chunks, int riff)
{
    for (int children = 0; children < kMaxRiffChildren; ++children) {
        const auto chunk = chunks.next();
        if (!chunk || !isPlausibleId(chunk->id))
            return;
        if (chunk->id == fcc::LIST && chunk->size < 4 && chunk->hasListType && chunk->listType == fcc::movi) {
            // A capture that stopped before its sizes were written: the frames run to the
            // end of the RIFF, and nothing after them can be located.
            m_movis.push_back({chunk->data(), chunks.end(), riff});
            return;
        }
        if (chunk->id == fcc::LIST && chunk->size >= 4 && chunk->hasListType) {
            if (chunk->listType == fcc::hdrl && riff == 0 && !m_sawHeaderList) {
                m_sawHeaderList = true;
                parseHeaderList(*chunk);
            } else if (chunk->listType == fcc::movi) {
                m_movis.push_back({chunk->data(), chunk->end, riff});
            }
        } else if (chunk->id == fcc::idx1 && riff == 0 && !m_hasIdx1) {
            m_hasIdx1 = true;
            m_idx1Offset = chunk->data();
            m_idx1Size = chunk->available();
        }
        // A chunk that runs past its RIFF is the last one it can hold (a cut file).
        if (chunk->clipped())
            return;
    }
}

// The header list is read in one go and walked in memory.
void Loader::parseHeaderList(const RiffChunk &list)
{
    const std::uint64_t start = list.data() + 4;
    if (list.end <= start)
        return;
    std::vector<std::uint8_t> data(static_cast<std::size_t>(std::min(list.end - start, kMaxHeaderListSize)));
    data.resize(read(start, data));
    core::MemoryBytes bytes(data, start);
    RiffChunks chunks(bytes, start, start + data.size(), 2);
    while (const auto chunk = chunks.next()) {
        if (chunk->isList(fcc::strl) && m_streams.size() < kMaxStreams) {
            auto children = chunks.children(*chunk);
            parseStreamList(children);
        }
        if (chunk->clipped())
            break;
    }
}

void Loader::parseStreamList(RiffChunks &chunks)
{
    StreamInfo &stream = m_streams.emplace_back();
    while (const auto chunk = chunks.next()) {
        if (chunk->id == fcc::strh && chunk->available() >= 8) {
            // fccType, fccHandler, then dwLength at 32 when the header holds it.
            std::array<std::uint8_t, 36> head{};
            const bool withLength = chunk->available() >= head.size();
            chunks.readData(*chunk, std::span(head).first(withLength ? head.size() : 8));
            stream.type = FourCC::fromBytes(head.data());
            stream.handler = FourCC::fromBytes(head.data() + 4);
            stream.length = withLength ? readLe32(head.data() + 32) : 0;
        } else if (chunk->id == fcc::strf) {
            stream.format.resize(
                static_cast<std::size_t>(std::min<std::uint64_t>(chunk->available(), kMaxFormatBytes)));
            chunks.readData(*chunk, stream.format);
            if (stream.type == fcc::vids && stream.format.size() >= 20)
                stream.compression = FourCC::fromBytes(stream.format.data() + 16);
        } else if (chunk->id == fcc::indx) {
            stream.indx.resize(static_cast<std::size_t>(chunk->available()));
            chunks.readData(*chunk, stream.indx);
        }
        if (chunk->clipped())
            break;
    }
}

void Loader::keep(Tables &tables, std::size_t stream, std::uint64_t offset, std::uint32_t size) const
{
    ++tables.listed[stream];
    // Capture tools mark a dropped picture with a chunk without data: the picture before it
    // stands in for it, so that the pictures keep their times and the sound stays with them.
    auto &samples = tables.samples[stream];
    const FourCC type = m_streams[stream].type;
    if (size == 0 && !samples.empty() && (type == fcc::vids || type == fcc::iavs)) {
        samples.push_back(samples.back());
        ++tables.repeats[stream];
        return;
    }
    // A sample without data, or one that is not wholly inside the file, is not kept.
    if (size == 0)
        return;
    if (offset > m_fileSize || size > m_fileSize - offset) {
        ++tables.beyondEnd[stream];
        return;
    }
    tables.samples[stream].push_back({offset, size});
}

bool Loader::hasOpenDmlIndex() const
{
    return std::any_of(m_streams.begin(), m_streams.end(), [](const StreamInfo &s) { return s.indx.size() >= 24; });
}

// An OpenDML index header: wLongsPerEntry, bIndexSubType, bIndexType, nEntriesInUse,
// dwChunkId, then 12 bytes (qwBaseOffset and a reserved word in a standard index).
void Loader::addStandardIndex(const std::uint8_t *data, std::size_t size, std::size_t stream, Tables &tables)
{
    if (size < 24 || data[3] != kIndexOfChunks)
        return;
    // Field indexes have a third word per entry (the second field's offset); it is skipped.
    const std::size_t stride = std::size_t{readLe16(data)} * 4;
    if (stride < 8)
        return;
    const std::uint64_t count = std::min<std::uint64_t>(readLe32(data + 4), (size - 24) / stride);
    const std::uint64_t base = readLe64(data + 12);
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint8_t *entry = data + 24 + i * stride;
        // Bit 31 of the size marks a frame that is not a key frame; every DV frame is one.
        keep(tables, stream, base + readLe32(entry), readLe32(entry + 4) & ~kNotKeyFrameBit);
    }
}

Tables Loader::loadOpenDml()
{
    Tables tables(m_streams.size());
    // Every standard index read counts against this, so that a super index that lists the
    // same or overlapping chunks again and again cannot make us read more than the file.
    std::uint64_t budget = m_fileSize;
    std::set<std::uint64_t> seen;
    for (std::size_t s = 0; s < m_streams.size(); ++s) {
        const auto &indx = m_streams[s].indx;
        if (indx.size() < 24)
            continue;
        if (indx[3] == kIndexOfChunks) {
            addStandardIndex(indx.data(), indx.size(), s, tables);
            continue;
        }
        if (indx[3] != kIndexOfIndexes || readLe16(indx.data()) != 4)
            continue;
        const std::uint64_t count = std::min<std::uint64_t>(readLe32(indx.data() + 4), (indx.size() - 24) / 16);
        for (std::uint64_t i = 0; i < count; ++i) {
            const std::uint8_t *entry = indx.data() + 24 + i * 16;
            const std::uint64_t offset = readLe64(entry);
            const std::uint32_t size = readLe32(entry + 8);
            if (offset >= m_fileSize || size < 32 || !seen.insert(offset).second)
                continue;
            // dwSize is the whole ix chunk, header included: one read per standard index.
            std::uint64_t want = std::min<std::uint64_t>({size, m_fileSize - offset, budget, kMaxStandardIndexSize});
            if (want > kTrustedStandardIndexSize) {
                // Larger than any index of a DV stream: rather than trust a size field that
                // may be corrupt, the chunk's own header says how much there is to read.
                std::uint8_t head[32];
                if (read(offset, head) != sizeof head)
                    continue;
                budget -= std::min<std::uint64_t>(budget, sizeof head);
                const std::uint64_t stride = std::uint64_t{readLe16(head + 8)} * 4;
                want = std::min<std::uint64_t>(
                    {want, std::uint64_t{readLe32(head + 4)} + 8, 32 + readLe32(head + 12) * stride});
            }
            if (want < 32)
                break;
            std::vector<std::uint8_t> chunk(static_cast<std::size_t>(want));
            chunk.resize(read(offset, chunk));
            budget -= std::min(budget, want);
            if (chunk.size() < 32)
                continue;
            const std::size_t body = std::min<std::size_t>(readLe32(&chunk[4]), chunk.size() - 8);
            addStandardIndex(&chunk[8], body, s, tables);
        }
    }
    return tables;
}

Tables Loader::loadIdx1()
{
    Tables tables(m_streams.size());
    const auto firstMovi = std::find_if(m_movis.begin(), m_movis.end(), [](const MoviList &m) { return m.riff == 0; });
    if (!m_hasIdx1 || m_idx1Size < 16)
        return tables;

    // The idx1 is read whole, in one read.
    const std::uint64_t size = std::min(m_idx1Size, kMaxIdx1Size);
    std::vector<std::uint8_t> data(static_cast<std::size_t>(size - size % 16));
    data.resize(read(m_idx1Offset, data) / 16 * 16);

    struct Entry {
        FourCC id;
        std::size_t stream;
        std::uint32_t offset;
        std::uint32_t size;
    };
    std::vector<Entry> entries;
    entries.reserve(data.size() / 16);
    for (std::size_t pos = 0; pos + 16 <= data.size(); pos += 16) {
        const FourCC id = FourCC::fromBytes(&data[pos]);
        const int stream = streamOfChunk(id);
        // Lists ("rec "), index chunks and writers' own marks (dvgrab's "7Fxx") are no samples.
        if (stream < 0 || static_cast<std::size_t>(stream) >= m_streams.size())
            continue;
        entries.push_back({id, static_cast<std::size_t>(stream), readLe32(&data[pos + 8]), readLe32(&data[pos + 12])});
    }
    if (entries.empty())
        return tables;

    // Offsets point at chunk headers, counted from the 'movi' list type in most files and
    // from the start of the file in some. The base is the one under which a few sample
    // entries find their own chunk header; with neither, the idx1 is unusable.
    std::vector<std::uint64_t> bases;
    if (firstMovi != m_movis.end())
        bases.push_back(firstMovi->typePos);
    bases.push_back(0);
    const std::array<std::size_t, 3> probes = {0, entries.size() / 2, entries.size() - 1};
    int bestMatches = 0;
    std::uint64_t base = 0;
    for (const std::uint64_t candidate : bases) {
        int matches = 0;
        for (const std::size_t p : probes) {
            std::uint8_t head[8];
            const Entry &e = entries[p];
            if (read(candidate + e.offset, head) == sizeof head && FourCC::fromBytes(head) == e.id
                && readLe32(head + 4) == e.size)
                ++matches;
        }
        if (matches > bestMatches) {
            bestMatches = matches;
            base = candidate;
        }
    }
    if (bestMatches == 0)
        return tables;
    for (const Entry &e : entries)
        keep(tables, e.stream, base + e.offset + 8, e.size);
    return tables;
}

Tables Loader::walkMovi()
{
    Tables tables(m_streams.size());
    for (const MoviList &movi : m_movis) {
        // A walk that lost the chunk structure cannot trust what follows in the same list;
        // the next list starts afresh.
        bool stop = false;
        RiffChunks chunks(m_file, movi.typePos + 4, movi.end, 2);
        walkList(chunks, 0, tables, stop);
    }
    return tables;
}

// An index can end before its movi list does: an idx1 cut short, an idx1 that covers only
// the first RIFF, a super index without the entries of the last AVIX parts, an index
// written before the capture went on. The chunks after the last indexed one in each movi
// list are walked; in a file whose index is complete that costs one header read or none.
void Loader::walkUnindexedTails(Tables &tables)
{
    // The movi lists are in file order and do not overlap.
    std::vector<std::uint64_t> starts;
    for (const MoviList &movi : m_movis)
        starts.push_back(movi.typePos + 4);
    for (const auto &samples : tables.samples) {
        for (const SampleEntry &e : samples) {
            const auto after =
                std::upper_bound(m_movis.begin(), m_movis.end(), e.offset,
                                 [](std::uint64_t offset, const MoviList &m) { return offset < m.typePos; });
            if (after == m_movis.begin())
                continue;
            const auto m = static_cast<std::size_t>(after - m_movis.begin()) - 1;
            if (e.offset < m_movis[m].end)
                starts[m] = std::max(starts[m], e.offset + e.size + (e.size & 1));
        }
    }
    for (std::size_t m = 0; m < m_movis.size(); ++m) {
        bool stop = false;
        RiffChunks chunks(m_file, starts[m], m_movis[m].end, 2);
        walkList(chunks, 0, tables, stop);
    }
}

void Loader::walkList(RiffChunks &chunks, int recDepth, Tables &tables, bool &stop)
{
    while (!stop && chunks.left() >= 8) {
        const auto chunk = chunks.next();
        // Garbage, or a chunk cut short or overrunning its list: nothing after it can be
        // located.
        if (!chunk || !isPlausibleId(chunk->id) || chunk->clipped()) {
            stop = true;
            return;
        }
        if (chunk->id == fcc::LIST) {
            if (chunk->isList(fcc::rec) && recDepth < kMaxRecNesting) {
                auto children = chunks.children(*chunk);
                walkList(children, recDepth + 1, tables, stop);
            }
        } else {
            const int stream = streamOfChunk(chunk->id);
            if (stream >= 0 && static_cast<std::size_t>(stream) < m_streams.size())
                keep(tables, static_cast<std::size_t>(stream), chunk->data(), chunk->size);
        }
    }
}

int Loader::chooseDvStream(const Tables &tables) const
{
    for (std::size_t s = 0; s < m_streams.size(); ++s)
        if (m_streams[s].type == fcc::iavs)
            return static_cast<int>(s);
    for (std::size_t s = 0; s < m_streams.size(); ++s) {
        const StreamInfo &info = m_streams[s];
        if (info.type != fcc::vids)
            continue;
        if (isDvCompression(info.handler) || isDvCompression(info.compression))
            return static_cast<int>(s);
        const auto &samples = tables.samples[s];
        if (!samples.empty()
            && (samples.front().size == core::kNtscFrameSize || samples.front().size == core::kPalFrameSize))
            return static_cast<int>(s);
    }
    return -1;
}

// True when the chunk header before a sample's data names the sample's stream and size.
bool Loader::headerMatches(const SampleEntry &sample, int stream)
{
    std::uint8_t head[8];
    return sample.offset >= 8 && read(sample.offset - 8, head) == sizeof head
           && streamOfChunk(FourCC::fromBytes(head)) == stream && readLe32(head + 4) == sample.size;
}

// An index is used for the DV stream only when most of what it lists lies in the file and
// its first, middle and last samples mostly sit behind their own chunk headers.
bool Loader::usable(const Tables &tables, int stream)
{
    const auto &samples = tables.samples[static_cast<std::size_t>(stream)];
    const std::uint64_t listed = tables.listed[static_cast<std::size_t>(stream)];
    // Repeated pictures are no data found: an index of garbage lists many entries without data.
    const std::uint64_t found = samples.size() - tables.repeats[static_cast<std::size_t>(stream)];
    if (found == 0 || found * 2 < listed)
        return false;
    const std::array<std::size_t, 3> probes = {0, samples.size() / 2, samples.size() - 1};
    int matches = 0;
    for (const std::size_t p : probes)
        matches += headerMatches(samples[p], stream) ? 1 : 0;
    if (matches < 2)
        return false;
    return true;
}

std::optional<ReadError> Loader::run(std::vector<StreamTable> &streams, int &dvStream, IndexSource &source)
{
    walkTopLevel();
    if (m_streams.empty())
        return ReadError{ReadErrorCode::NoDvStream, "no stream headers (the file may be cut short in its header)"};

    Tables tables;
    int dv = -1;
    bool chosen = false;
    if (hasOpenDmlIndex()) {
        tables = loadOpenDml();
        dv = chooseDvStream(tables);
        chosen = dv >= 0 && usable(tables, dv);
        source = IndexSource::OpenDml;
    }
    if (!chosen && m_hasIdx1) {
        tables = loadIdx1();
        dv = chooseDvStream(tables);
        chosen = dv >= 0 && usable(tables, dv);
        source = IndexSource::Idx1;
    }
    if (chosen)
        walkUnindexedTails(tables);
    if (!chosen) {
        tables = walkMovi();
        dv = chooseDvStream(tables);
        source = IndexSource::MoviWalk;
    }
    if (dv < 0)
        return ReadError{ReadErrorCode::NoDvStream, "no DV stream (neither an iavs stream nor a DV video stream)"};

    streams.clear();
    for (std::size_t s = 0; s < m_streams.size(); ++s)
        streams.push_back({m_streams[s].type, m_streams[s].handler, std::move(tables.samples[s]),
                           std::move(m_streams[s].format), tables.beyondEnd[s], m_streams[s].length});
    dvStream = dv;
    return std::nullopt;
}

} // namespace

std::optional<ReadError> AviIndexLoader::load(DvFrameReader &reader)
{
    Loader loader(reader, reader.m_fileSize);
    return loader.run(reader.m_streams, reader.m_dvStream, reader.m_indexSource);
}

} // namespace camlog::media
