// Reads DV frames from DV AVI files (type 1, type 2, OpenDML) and raw DV files by their index.
#pragma once

#include "core/expected.h"
#include "core/four_cc.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace camlog::media {

class ReadAhead;

enum class ReadErrorCode {
    NotFound,   // no such file
    Unreadable, // the file exists but cannot be opened or read
    NotAvi,     // neither an AVI (RIFF "AVI ") nor a raw DV file
    NoDvStream, // an AVI without an iavs stream or a DV video stream
};
using ReadError = core::Error<ReadErrorCode>;

// Where one sample's data lies in the file (after its chunk header) and how long it is.
struct SampleEntry {
    std::uint64_t offset = 0;
    std::uint32_t size = 0;
    bool operator==(const SampleEntry &) const = default;
};

enum class ContainerKind { RawDv, Avi };
// Where the sample tables came from: the OpenDML indexes, the legacy idx1, a walk of the
// movi lists (no usable index), or fixed offsets (raw DV).
enum class IndexSource { OpenDml, Idx1, MoviWalk, FixedOffsets };

struct StreamTable {
    core::FourCC type;    // strh fccType: vids, auds, iavs, ...
    core::FourCC handler; // strh fccHandler
    std::vector<SampleEntry> samples;
    // The first bytes of the stream's strf (a WAVEFORMATEX for audio); empty without one.
    std::vector<std::uint8_t> format;
    // Samples the index lists whose data lies past the end of the file: a file cut short.
    std::uint64_t beyondEnd = 0;
    // The samples the stream header announces (strh dwLength; 0 when it has none).
    std::uint32_t announced = 0;
};

// One open file. Reads are positioned (pread), but bytesRead is a plain counter: use one
// reader per thread.
class DvFrameReader {
public:
    // Opens an AVI file (recognised by its RIFF header) or a raw DV file (.dv, .dif, or
    // any file whose first block is a DIF header block). A damaged index or a truncated
    // file gives the samples that lie wholly inside the file. Opening reads the headers and
    // the index only (an AVI without a usable index: one chunk header per chunk).
    static core::Expected<std::unique_ptr<DvFrameReader>, ReadErrorCode> open(const std::filesystem::path &path);

    ~DvFrameReader();
    DvFrameReader(const DvFrameReader &) = delete;
    DvFrameReader &operator=(const DvFrameReader &) = delete;

    ContainerKind container() const { return m_container; }
    IndexSource indexSource() const { return m_indexSource; }
    std::uint64_t fileSize() const { return m_fileSize; }

    // Every stream of the file in strl order (raw DV: one iavs stream).
    const std::vector<StreamTable> &streams() const { return m_streams; }
    // Index into streams() of the DV stream (first iavs stream, else the first vids stream
    // whose samples are DV frames), or -1 when there is none.
    int dvStream() const { return m_dvStream; }

    // The DV frames: the samples of the DV stream.
    std::size_t frameCount() const;
    // An empty entry for an index past the end.
    SampleEntry frame(std::size_t index) const;

    // Reads the whole frame into out (resized to the frame's size). False on a read error
    // or an index past the end.
    bool readFrame(std::size_t index, std::vector<std::uint8_t> &out);
    // Reads the first min(out.size(), frame size) bytes of the frame in one read; returns
    // the count read (0 on error).
    std::size_t readFramePrefix(std::size_t index, std::span<std::uint8_t> out);
    // Reads any byte range of the file, never past its end; returns the count read.
    std::size_t readAt(std::uint64_t offset, std::span<std::uint8_t> out);

    // Frames read one after the other from a file that is not in memory are announced to the
    // kernel ahead of the reader (ReadAhead); on by default. Off: plain reads only.
    void setReadAhead(bool on);
    // Frame ranges announced so far (0 while every frame read found its bytes in memory).
    std::size_t rangesAnnounced() const;

    // Bytes read from the file since it was opened (index loading included).
    std::uint64_t bytesRead() const { return m_bytesRead; }

private:
    DvFrameReader() = default;
    // Reads the first out.size() bytes of frame index (at most the frame's size).
    std::size_t readFrameBytes(std::size_t index, std::span<std::uint8_t> out);
    ReadAhead &readAhead();

    int m_fd = -1;
    std::uint64_t m_fileSize = 0;
    std::uint64_t m_bytesRead = 0;
    ContainerKind m_container = ContainerKind::RawDv;
    IndexSource m_indexSource = IndexSource::FixedOffsets;
    std::vector<StreamTable> m_streams;
    int m_dvStream = -1;
    std::unique_ptr<ReadAhead> m_readAhead; // made at the first frame read
    bool m_readAheadOn = true;

    friend class AviIndexLoader;
    friend class RawDvLoader;
};

} // namespace camlog::media
