// Reading parts of files that are not in the page cache: the ranges about to be read are
// announced to the kernel in batches, ahead of the reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace camlog::media {

// Reads ranges of one file that a reader walks in order (the frames of a tape, their first
// bytes or whole). One small read per frame, one after the other, leaves the device idle
// between reads and is not followed by the kernel's own read-ahead, which expects reads that
// touch every byte: on a file whose pages are not in memory such a walk waits for the device
// once per frame. Each read here first tries the page cache alone (RWF_NOWAIT); the first one
// that would wait starts announcing the ranges of the next items (POSIX_FADV_WILLNEED, as long
// as the read that waited) in batches, well ahead of the reader, so that the device works on
// many at once. A file in the page cache costs what plain reads cost, and so do reads that
// do not follow each other. Use one per thread.
class ReadAhead {
public:
    // Where item k lies in the file: its offset and size (size 0 past the last item).
    using RangeOf = std::function<std::pair<std::uint64_t, std::uint32_t>(std::size_t)>;

    ReadAhead(int fd, std::uint64_t fileSize, RangeOf rangeOf);

    // Reads min(out.size(), file size - offset) bytes at offset, the first bytes of item
    // `item` (whose range rangeOf gives); returns the count read, short on a read error.
    std::size_t read(std::size_t item, std::uint64_t offset, std::span<std::uint8_t> out);

    // Off: plain positioned reads only, nothing announced.
    void setEnabled(bool enabled) { m_enabled = enabled; }
    // Ranges announced so far (0 while every read found its bytes in memory).
    std::size_t rangesAnnounced() const { return m_announced; }

private:
    void announceAhead(std::size_t item, std::size_t length);
    std::size_t readCached(std::uint64_t offset, std::span<std::uint8_t> out);

    int m_fd;
    std::uint64_t m_fileSize;
    RangeOf m_rangeOf;
    bool m_enabled = true;
    bool m_cold = false;               // a read had to wait for the device
    bool m_nowaitWorks = true;         // the file system takes RWF_NOWAIT
    std::size_t m_nextItem = SIZE_MAX; // the item after the last one read
    std::size_t m_announcedTo = 0;     // items before this one were announced
    std::size_t m_length = 0;          // the length announced for each item
    std::size_t m_announced = 0;
};

// Announces the first `bytes` and the last `tailBytes` of each file (regular files only) about
// to be opened one by one, e.g. the files of a folder being probed, so that the device reads
// them together. The end of an AVI file holds its top-level index, whose header the walk over
// the file's chunks reads.
void AnnounceFileStarts(const std::vector<std::string> &paths, std::uint64_t bytes, std::uint64_t tailBytes = 0);

} // namespace camlog::media
