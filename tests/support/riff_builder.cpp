// Hand-made RIFF/AVI byte images for tests: chunks, lists, header records and small AVI files.
#include "support/riff_builder.h"

namespace camlog::test {

void appendLe16(Bytes &out, std::uint16_t value)
{
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void appendLe32(Bytes &out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>((value >> (8 * i)) & 0xFF));
}

void appendFourCC(Bytes &out, std::string_view code)
{
    for (std::size_t i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(i < code.size() ? code[i] : ' '));
}

Bytes cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const auto &part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

Bytes zeros(std::size_t count)
{
    return Bytes(count, 0);
}

Bytes text(std::string_view characters)
{
    return Bytes(characters.begin(), characters.end());
}

Bytes chunkHeader(std::string_view id, std::uint32_t declaredSize)
{
    Bytes out;
    appendFourCC(out, id);
    appendLe32(out, declaredSize);
    return out;
}

Bytes chunkUnpadded(std::string_view id, const Bytes &data)
{
    return cat({chunkHeader(id, static_cast<std::uint32_t>(data.size())), data});
}

Bytes chunk(std::string_view id, const Bytes &data)
{
    Bytes out = chunkUnpadded(id, data);
    if (data.size() % 2 != 0)
        out.push_back(0);
    return out;
}

Bytes listDeclaring(std::string_view id, std::string_view type, std::uint32_t declaredSize, const Bytes &children)
{
    Bytes out = chunkHeader(id, declaredSize);
    appendFourCC(out, type);
    out.insert(out.end(), children.begin(), children.end());
    return out;
}

namespace {
Bytes wellFormedList(std::string_view id, std::string_view type, std::initializer_list<Bytes> children)
{
    const Bytes body = cat(children);
    return listDeclaring(id, type, static_cast<std::uint32_t>(body.size() + 4), body);
}
} // namespace

Bytes list(std::string_view type, std::initializer_list<Bytes> children)
{
    return wellFormedList("LIST", type, children);
}

Bytes riff(std::string_view type, std::initializer_list<Bytes> children)
{
    return wellFormedList("RIFF", type, children);
}

Bytes mainHeaderData(std::uint32_t microSecPerFrame, std::uint32_t totalFrames, std::uint32_t streams,
                     std::uint32_t width, std::uint32_t height)
{
    Bytes out;
    appendLe32(out, microSecPerFrame);
    appendLe32(out, 3'600'000); // dwMaxBytesPerSec
    appendLe32(out, 0);         // dwPaddingGranularity
    appendLe32(out, 0x10);      // dwFlags: AVIF_HASINDEX
    appendLe32(out, totalFrames);
    appendLe32(out, 0); // dwInitialFrames
    appendLe32(out, streams);
    appendLe32(out, 144'008); // dwSuggestedBufferSize
    appendLe32(out, width);
    appendLe32(out, height);
    for (int i = 0; i < 4; ++i)
        appendLe32(out, 0);
    return out;
}

Bytes streamHeaderData(std::string_view type, std::string_view handler, std::uint32_t scale, std::uint32_t rate,
                       std::uint32_t length)
{
    Bytes out;
    appendFourCC(out, type);
    appendFourCC(out, handler);
    appendLe32(out, 0); // dwFlags
    appendLe16(out, 0); // wPriority
    appendLe16(out, 0); // wLanguage
    appendLe32(out, 0); // dwInitialFrames
    appendLe32(out, scale);
    appendLe32(out, rate);
    appendLe32(out, 0); // dwStart
    appendLe32(out, length);
    appendLe32(out, 144'008);    // dwSuggestedBufferSize
    appendLe32(out, 0xFFFFFFFF); // dwQuality
    appendLe32(out, 0);          // dwSampleSize
    appendLe16(out, 0);
    appendLe16(out, 0);
    appendLe16(out, 720);
    appendLe16(out, 576);
    return out;
}

Bytes indexData(std::string_view chunkId, std::uint32_t entries)
{
    Bytes out;
    appendLe16(out, 4); // wLongsPerEntry
    out.push_back(0);   // bIndexSubType
    out.push_back(0);   // bIndexType: AVI_INDEX_OF_INDEXES
    appendLe32(out, 0); // nEntriesInUse
    appendFourCC(out, chunkId);
    for (int i = 0; i < 3; ++i)
        appendLe32(out, 0);
    out.resize(out.size() + 16 * std::size_t{entries}, 0);
    return out;
}

Bytes avihChunk(std::uint32_t streams)
{
    return chunk("avih", mainHeaderData(40'000, 3, streams, 720, 576));
}

Bytes streamList(std::string_view type, std::string_view handler)
{
    std::size_t formatSize = 32; // DVINFO of an iavs stream
    if (type == "vids")
        formatSize = 40 + 32; // BITMAPINFOHEADER + DVINFO
    else if (type == "auds")
        formatSize = 18; // WAVEFORMATEX
    return list("strl", {chunk("strh", streamHeaderData(type, handler)), chunk("strf", zeros(formatSize))});
}

Bytes moviList(std::uint32_t frames, std::string_view frameId)
{
    Bytes body;
    for (std::uint32_t i = 0; i < frames; ++i)
        body = cat({body, chunk(frameId, zeros(24))});
    return listDeclaring("LIST", "movi", static_cast<std::uint32_t>(body.size() + 4), body);
}

Bytes aviFile(std::initializer_list<Bytes> streamLists, std::uint32_t frames)
{
    const Bytes header = cat({avihChunk(static_cast<std::uint32_t>(streamLists.size())), cat(streamLists)});
    const Bytes hdrl = listDeclaring("LIST", "hdrl", static_cast<std::uint32_t>(header.size() + 4), header);
    return riff("AVI ", {hdrl, moviList(frames), chunk("idx1", zeros(16 * std::size_t{frames}))});
}

Bytes avixRiff(std::uint32_t frames)
{
    return riff("AVIX", {moviList(frames)});
}

} // namespace camlog::test
