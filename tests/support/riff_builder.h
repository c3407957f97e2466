// Hand-made RIFF/AVI byte images for tests: chunks, lists, header records and small AVI files.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace camlog::test {

using Bytes = std::vector<std::uint8_t>;

void appendLe16(Bytes &out, std::uint16_t value);
void appendLe32(Bytes &out, std::uint32_t value);
// The first four characters of code, padded with spaces.
void appendFourCC(Bytes &out, std::string_view code);

Bytes cat(std::initializer_list<Bytes> parts);
Bytes zeros(std::size_t count);
Bytes text(std::string_view characters);

// A chunk header alone, with any declared size (to build chunks that lie about it).
Bytes chunkHeader(std::string_view id, std::uint32_t declaredSize);
// A well-formed chunk: header, data, and a zero pad byte when the data size is odd.
Bytes chunk(std::string_view id, const Bytes &data);
// A chunk without the pad byte after odd-sized data (a writer that forgets it).
Bytes chunkUnpadded(std::string_view id, const Bytes &data);
// A well-formed "LIST" or "RIFF" chunk whose size counts the type and the children.
Bytes list(std::string_view type, std::initializer_list<Bytes> children);
Bytes riff(std::string_view type, std::initializer_list<Bytes> children);
// Header, type and children with any declared size.
Bytes listDeclaring(std::string_view id, std::string_view type, std::uint32_t declaredSize, const Bytes &children);

// Record data (without chunk header).
// AVIMAINHEADER: 56 bytes.
Bytes mainHeaderData(std::uint32_t microSecPerFrame, std::uint32_t totalFrames, std::uint32_t streams,
                     std::uint32_t width, std::uint32_t height);
// AVISTREAMHEADER: 56 bytes; the other fields are zero except rcFrame's right and bottom.
Bytes streamHeaderData(std::string_view type, std::string_view handler, std::uint32_t scale = 1,
                       std::uint32_t rate = 25, std::uint32_t length = 0);
// An OpenDML index chunk's data: the 24-byte header and `entries` zero entries of 16 bytes.
Bytes indexData(std::string_view chunkId, std::uint32_t entries);

// Ready-made pieces of a DV AVI.
Bytes avihChunk(std::uint32_t streams = 1);
// A `strl` list with strh (type, handler) and a strf of plausible size for the type.
Bytes streamList(std::string_view type, std::string_view handler);
// A `movi` list of `frames` small fake frame chunks of stream 00.
Bytes moviList(std::uint32_t frames, std::string_view frameId = "00dc");
// `RIFF AVI ` with hdrl (avih + the given strl lists), movi and idx1.
Bytes aviFile(std::initializer_list<Bytes> streamLists, std::uint32_t frames = 3);
// `RIFF AVIX` holding a movi list, as OpenDML files continue past the first RIFF.
Bytes avixRiff(std::uint32_t frames = 3);

} // namespace camlog::test
