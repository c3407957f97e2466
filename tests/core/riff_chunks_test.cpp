// The chunk iterator every RIFF walker shares, and the little-endian helpers.
#include "core/riff_chunks.h"

#include "core/little_endian.h"
#include "support/riff_builder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace camlog::core {
namespace {

namespace t = camlog::test;

// Each chunk of a range as "id size start-end", children of lists indented below it.
void describe(RiffChunks &chunks, std::vector<std::string> &out)
{
    while (const auto chunk = chunks.next()) {
        std::string line(static_cast<std::size_t>(chunks.depth()) * 2, ' ');
        line += chunk->id.toString() + " " + std::to_string(chunk->size) + " " + std::to_string(chunk->start) + "-"
                + std::to_string(chunk->end);
        if (chunk->isList())
            line += " " + chunk->listType.toString();
        if (chunk->clipped())
            line += " clipped";
        out.push_back(line);
        if (chunk->isList()) {
            auto children = chunks.children(*chunk);
            if (children.tooDeep())
                out.push_back("too deep");
            describe(children, out);
        }
    }
    if (chunks.shortRead())
        out.push_back("short read");
}

std::vector<std::string> walk(const t::Bytes &bytes, std::uint64_t end)
{
    MemoryBytes source(bytes, 0);
    RiffChunks top(source, 0, end);
    std::vector<std::string> out;
    describe(top, out);
    return out;
}

TEST(LittleEndian, ReadsAndWritesLowByteFirst)
{
    std::uint8_t bytes[8] = {0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x88};
    EXPECT_EQ(readLe16(bytes), 0x0201u);
    EXPECT_EQ(readLe32(bytes), 0x04030201u);
    EXPECT_EQ(readLe64(bytes), 0x8807060504030201ull);
    writeLe32(bytes, 0xA1B2C3D4u);
    EXPECT_EQ(bytes[0], 0xD4);
    EXPECT_EQ(bytes[3], 0xA1);
    LeCursor in(bytes);
    EXPECT_EQ(in.u32(), 0xA1B2C3D4u);
    EXPECT_EQ(in.u16(), 0x0605u);
    EXPECT_EQ(in.u8(), 0x07);
    EXPECT_EQ(in.u8(), 0x88);
}

TEST(RiffChunks, WalksTheTreeWithPadBytesClippingAndShortHeaders)
{
    struct Case {
        const char *name;
        t::Bytes bytes;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"pad byte after odd data",
         t::cat({t::chunk("abcd", t::zeros(3)), t::chunk("efgh", t::zeros(2))}),
         {"abcd 3 0-11", "efgh 2 12-22"}},
        {"list children end with the list",
         t::cat({t::list("hdrl", {t::chunk("avih", t::zeros(4))}), t::chunk("JUNK", {})}),
         {"LIST 16 0-24 hdrl", "  avih 4 12-24", "JUNK 0 24-32"}},
        {"a child larger than its list is clipped to it",
         t::listDeclaring("LIST", "strl", 20, t::cat({t::chunkHeader("strh", 100), t::zeros(8)})),
         {"LIST 20 0-28 strl", "  strh 100 12-28 clipped"}},
        {"a chunk larger than the range is clipped to it",
         t::cat({t::chunkHeader("RIFF", 0xFFFFFFFF), t::text("AVI "), t::chunk("JUNK", t::zeros(4))}),
         {"RIFF 4294967295 0-24 AVI  clipped", "  JUNK 4 12-24"}},
        {"fewer than 8 bytes left end the walk", t::cat({t::chunk("abcd", {}), t::zeros(7)}), {"abcd 0 0-8"}},
        {"a list too small for its type has no children",
         t::cat({t::chunkHeader("LIST", 2), t::zeros(2), t::chunk("next", {})}),
         {"LIST 2 0-10", "next 0 10-18"}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(walk(c.bytes, c.bytes.size()), c.expected);
    }
}

TEST(RiffChunks, AShortReadStopsTheRange)
{
    // The range claims 20 bytes but the source holds 12: the second header cannot be read.
    const auto bytes = t::cat({t::chunk("abcd", {}), t::text("efgh")});
    EXPECT_EQ(walk(bytes, 20), (std::vector<std::string>{"abcd 0 0-8", "short read"}));
}

TEST(RiffChunks, ListsDeeperThanTheLimitAreNotEntered)
{
    t::Bytes nested = t::chunk("leaf", {});
    for (int i = 0; i < 20; ++i)
        nested = t::list("deep", {nested});
    const auto lines = walk(nested, nested.size());
    // Levels 0 to kMaxRiffDepth are listed, then the walk refuses to go further.
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kMaxRiffDepth + 2));
    EXPECT_EQ(lines.back(), "too deep");
    EXPECT_EQ(lines[kMaxRiffDepth].find_first_not_of(' '), static_cast<std::size_t>(kMaxRiffDepth) * 2);
}

TEST(RiffChunks, ReadDataStopsAtTheClippedEndAndZeroFills)
{
    const auto bytes = t::listDeclaring("LIST", "strl", 14, t::cat({t::chunkHeader("strh", 56), t::text("vids")}));
    MemoryBytes source(bytes, 0);
    RiffChunks top(source, 0, bytes.size());
    const auto list = top.next();
    ASSERT_TRUE(list);
    auto children = top.children(*list);
    const auto strh = children.next();
    ASSERT_TRUE(strh);
    std::array<std::uint8_t, 8> data{};
    data.fill(0xFF);
    EXPECT_EQ(children.readData(*strh, data), 2u); // the list ends 2 bytes into the data
    EXPECT_EQ(data[0], 'v');
    EXPECT_EQ(data[1], 'i');
    EXPECT_EQ(data[2], 0);
}

TEST(MemoryBytes, ReadsOnlyWhatItHoldsAtItsOffset)
{
    const t::Bytes bytes = {1, 2, 3, 4};
    MemoryBytes source(bytes, 100);
    std::array<std::uint8_t, 4> out{};
    EXPECT_EQ(source.readAt(99, out), 0u);
    EXPECT_EQ(source.readAt(102, out), 2u);
    EXPECT_EQ(out[0], 3);
    EXPECT_EQ(source.readAt(104, out), 0u);
    // An empty chunk read into an empty buffer (whose address is null): nothing is copied.
    std::vector<std::uint8_t> none;
    EXPECT_EQ(source.readAt(100, none), 0u);
}

} // namespace
} // namespace camlog::core
