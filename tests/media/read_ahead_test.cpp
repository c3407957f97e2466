// Reads through the read-ahead give the file's bytes whatever the order, and announce ranges only
// for files that are not in memory.
#include "media/reading/read_ahead.h"

#include "media/reading/file_announcer.h"

#include "support/test_files.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace camlog;

namespace {

constexpr std::uint32_t kItemSize = 10000; // not a multiple of the page size
constexpr std::size_t kItems = 600;

// A file of kItems items of kItemSize bytes, each byte telling its place, and a last item cut short.
std::filesystem::path makeItemFile(const std::filesystem::path &dir)
{
    std::vector<std::uint8_t> bytes(kItems * kItemSize - kItemSize / 2);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    const auto path = dir / "items.bin";
    test::writeBytes(path, bytes);
    return path;
}

void evict(const std::filesystem::path &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    ::fdatasync(fd);
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
    ::close(fd);
}

// Brings the whole file into memory (it may have left it under another program's reading).
void bringIntoMemory(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<char> buffer(1 << 20);
    while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0) {}
}

struct OpenFile {
    explicit OpenFile(const std::filesystem::path &path)
        : fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC)),
          size(std::filesystem::file_size(path)),
          bytes(test::readBytes(path))
    {
    }
    ~OpenFile() { ::close(fd); }
    int fd;
    std::uint64_t size;
    std::vector<std::uint8_t> bytes; // what every read must give
};

media::ReadAhead itemReader(const OpenFile &file)
{
    return media::ReadAhead(file.fd, file.size, [](std::size_t k) {
        return std::pair<std::uint64_t, std::uint32_t>{k * std::uint64_t{kItemSize}, k < kItems ? kItemSize : 0};
    });
}

// Reads item k's first `length` bytes and compares them with the file's.
void expectItem(media::ReadAhead &reader, const OpenFile &file, std::size_t k, std::size_t length)
{
    std::vector<std::uint8_t> out(length, 0xEE);
    const std::uint64_t offset = k * std::uint64_t{kItemSize};
    const std::size_t expected = static_cast<std::size_t>(std::min<std::uint64_t>(length, file.size - offset));
    ASSERT_EQ(reader.read(k, offset, out), expected) << "item " << k;
    ASSERT_TRUE(std::equal(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(expected),
                           file.bytes.begin() + static_cast<std::ptrdiff_t>(offset)))
        << "item " << k;
}

} // namespace

// Forward walks of first bytes and of whole items, a jump back, a change of length and the cut
// last item: every read gives the file's bytes, evicted or in memory, announcing on or off.
TEST(ReadAhead, EveryReadGivesTheFilesBytes)
{
    const auto path = makeItemFile(test::scratchDir("ReadAheadBytes"));
    struct Walk {
        const char *what;
        bool evicted;
        bool enabled;
    };
    for (const Walk &w :
         {Walk{"evicted", true, true}, Walk{"in memory", false, true}, Walk{"announcing off", true, false}}) {
        SCOPED_TRACE(w.what);
        const OpenFile file(path);
        if (w.evicted)
            evict(path);
        else
            bringIntoMemory(path);
        auto reader = itemReader(file);
        reader.setEnabled(w.enabled);
        for (std::size_t k = 0; k < 300; ++k)
            expectItem(reader, file, k, 1200);
        for (std::size_t k = 100; k < 140; ++k)
            expectItem(reader, file, k, kItemSize);
        for (std::size_t k = 500; k < kItems; ++k)
            expectItem(reader, file, k, 4000);
        expectItem(reader, file, kItems - 1, kItemSize); // cut short by the end of the file
        expectItem(reader, file, 3, 100);
        // Past the end of the file: nothing.
        std::vector<std::uint8_t> out(10);
        EXPECT_EQ(reader.read(kItems, file.size, out), 0u);
        if (!w.enabled || !w.evicted) {
            EXPECT_EQ(reader.rangesAnnounced(), 0u);
        } else {
            // The first walk alone runs far ahead; never past the last item.
            EXPECT_GT(reader.rangesAnnounced(), 200u);
        }
    }
}

// The start and the end of each regular file come into memory, announced on the announcer's own
// thread; a missing file, a folder, a FIFO and an empty file are passed over without blocking.
TEST(ReadAhead, FileStartsAndEndsAreReadAndOtherPathsPassedOver)
{
    const auto dir = test::scratchDir("ReadAheadFileStarts");
    const auto big = dir / "big.bin";
    test::writeBytes(big, std::vector<std::uint8_t>(4 << 20, 0x5A));
    test::writeBytes(dir / "empty.bin", {});
    std::filesystem::create_directories(dir / "folder");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    evict(big);

    media::FileAnnouncer announcer(64 * 1024, 64 * 1024);
    announcer.announce({(dir / "missing").string(), (dir / "folder").string(), (dir / "fifo").string(),
                        (dir / "empty.bin").string(), big.string()});

    // Which pages of the file are in memory, by mapping it.
    const int fd = ::open(big.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    void *map = ::mmap(nullptr, 4 << 20, PROT_READ, MAP_SHARED, fd, 0);
    ASSERT_NE(map, MAP_FAILED);
    const long page = ::sysconf(_SC_PAGESIZE);
    std::vector<unsigned char> resident(static_cast<std::size_t>((4 << 20) / page));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    do {
        ASSERT_EQ(::mincore(map, 4 << 20, resident.data()), 0);
        if ((resident[0] & 1) != 0 && (resident[static_cast<std::size_t>(64 * 1024 / page) - 1] & 1) != 0
            && (resident.back() & 1) != 0)
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } while (std::chrono::steady_clock::now() < deadline);
    EXPECT_EQ(resident[0] & 1, 1);
    EXPECT_EQ(resident[static_cast<std::size_t>(64 * 1024 / page) - 1] & 1, 1);
    EXPECT_EQ(resident[resident.size() - static_cast<std::size_t>(64 * 1024 / page)] & 1, 1);
    EXPECT_EQ(resident.back() & 1, 1);
    // Between what was announced, nothing was read.
    EXPECT_EQ(resident[resident.size() / 2] & 1, 0);
    ::munmap(map, 4 << 20);
    ::close(fd);
}

// Reads here and there (a picture at each scene's start) announce nothing; reading an item again
// (whole after its first bytes) keeps the walk; a walk announces from its second read.
TEST(ReadAhead, OnlyWalksAreAnnounced)
{
    const auto path = makeItemFile(test::scratchDir("ReadAheadWalks"));
    const OpenFile file(path);
    evict(path);
    auto reader = itemReader(file);
    for (const std::size_t k : {10, 200, 50, 400, 7})
        expectItem(reader, file, k, kItemSize);
    EXPECT_EQ(reader.rangesAnnounced(), 0u);
    expectItem(reader, file, 300, 1200);
    expectItem(reader, file, 300, kItemSize);
    EXPECT_EQ(reader.rangesAnnounced(), 0u);
    expectItem(reader, file, 301, 1200);
    const std::size_t walk = reader.rangesAnnounced();
    EXPECT_GT(walk, 100u);
    expectItem(reader, file, 301, kItemSize);
    expectItem(reader, file, 302, 1200);
    EXPECT_EQ(reader.rangesAnnounced(), walk); // still well ahead
}
