// Writes DV AVI files of type 1 and type 2: the RIFF layout, OpenDML parts and their indexes.
#include "media/writing/dv_avi_writer.h"

#include "core/dv_frame.h"
#include "media/writing/avi_output_file.h"
#include "media/writing/dv_avi_headers.h"

#include <algorithm>
#include <array>

namespace camlog::media {

namespace {

using core::FourCC;
namespace fcc = core::fcc;

// Offsets inside idx1 and the standard indexes are 32-bit and some readers take RIFF sizes
// as signed: no RIFF grows past 2 GB whatever the limit asked for.
constexpr std::uint64_t kMaxRiffSize = 0x7FFFFFFFu;

std::array<std::uint8_t, 8> chunkHeader(FourCC id, std::uint32_t size)
{
    std::array<std::uint8_t, 8> h{};
    for (int i = 0; i < 4; ++i) {
        h[i] = static_cast<std::uint8_t>(id.value() >> (8 * i));
        h[4 + i] = static_cast<std::uint8_t>(size >> (8 * i));
    }
    return h;
}

std::array<std::uint8_t, 4> le32(std::uint64_t value)
{
    const auto v = static_cast<std::uint32_t>(value);
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v >> 16),
            static_cast<std::uint8_t>(v >> 24)};
}

std::uint32_t audioBlockAlign(const AviPcmFormat &audio)
{
    return std::uint32_t{audio.channels} * 2;
}

} // namespace

std::optional<DvAviFormat> DvAviFormat::fromFrame(std::span<const std::uint8_t> dvFrame, DvAviType type)
{
    const int nseq = core::SequencesForFrameSize(dvFrame.size());
    if (nseq == 0)
        return {};
    DvAviFormat format;
    format.type = type;
    // The frame's size decides, as it decides the size of every chunk to come.
    format.system = nseq == 10 ? DvSystem::Ntsc : DvSystem::Pal;
    bool wide = false;
    if (core::ReadIs16x9(dvFrame, nseq, wide))
        format.wide = wide;
    int rate = 0, channels = 0, bits = 0;
    format.audio.clear();
    if (core::ReadAudioFormat(dvFrame, nseq, rate, channels, bits) && rate > 0)
        format.audio.push_back({static_cast<std::uint32_t>(rate), static_cast<std::uint16_t>(channels == 1 ? 1 : 2)});
    return format;
}

class DvAviWriter::Impl {
public:
    Impl(std::filesystem::path path, const DvAviFormat &format, std::unique_ptr<AviOutputFile> file)
        : m_path(std::move(path)),
          m_format(format),
          m_file(std::move(file))
    {
        m_format.riffSizeLimit = std::min(m_format.riffSizeLimit, kMaxRiffSize);
        if (m_format.type == DvAviType::Type1)
            m_format.audio.clear();
        m_streamCount = avi::StreamCount(m_format);
        m_counts.streams.resize(m_streamCount);
        m_index.resize(m_streamCount);
        m_riffSamples.resize(m_streamCount);
        m_dvInfo = avi::DvInfoFromFrame({}, m_format.system);
    }

    WriteResult start();
    WriteResult writeFrame(std::span<const std::uint8_t> frame);
    WriteResult writeAudio(std::span<const std::uint8_t> pcm, std::size_t stream);
    WriteResult finish();
    void discard();

    std::uint64_t frames() const { return m_counts.totalFrames; }
    std::uint64_t bytes() const { return m_file ? m_file->size() : 0; }
    const std::filesystem::path &path() const { return m_path; }
    const DvAviFormat &format() const { return m_format; }

private:
    WriteResult usable() const;
    WriteResult checkFrameSize(std::size_t size) const;
    WriteResult makeRoomForFrame();
    WriteResult openRiff(FourCC type);
    WriteResult closeRiff();
    WriteResult writeHeaders();
    // Appends one chunk header and records the chunk in the indexes; the data follows.
    WriteResult beginChunk(std::size_t stream, std::uint32_t size);
    void countChunk(std::size_t stream, std::uint32_t size);
    WriteResult fail(const WriterError &error);

    std::filesystem::path m_path;
    DvAviFormat m_format;
    std::unique_ptr<AviOutputFile> m_file;
    std::size_t m_streamCount = 0;
    std::array<std::uint8_t, 32> m_dvInfo{};
    bool m_haveDvInfo = false;
    std::size_t m_headerSize = 0;

    int m_riff = -1;                                           // 0: the RIFF 'AVI ', 1...: the AVIX parts
    std::uint64_t m_riffStart = 0;                             // position of the current 'RIFF'
    std::uint64_t m_moviStart = 0;                             // position of its movi 'LIST'
    std::uint64_t m_riffFrames = 0;                            // frames in the current RIFF
    std::vector<std::vector<avi::StandardIndexEntry>> m_index; // per stream, current RIFF
    std::vector<std::uint64_t> m_riffSamples;                  // per stream, current RIFF
    std::vector<avi::Idx1Entry> m_idx1;                        // the first RIFF only
    avi::HeaderCounts m_counts;

    bool m_finished = false;
    std::optional<WriterError> m_error;
};

WriteResult DvAviWriter::Impl::fail(const WriterError &error)
{
    if (!m_error)
        m_error = error;
    if (m_file)
        m_file->discard();
    return *m_error;
}

WriteResult DvAviWriter::Impl::usable() const
{
    if (m_error)
        return *m_error;
    if (m_finished)
        return WriterError{WriterErrorCode::Finished, "\"" + m_path.string() + "\" is already finished"};
    return {};
}

WriteResult DvAviWriter::Impl::start()
{
    // RIFF 'AVI ' and the header list with empty counts; both are rewritten at the end.
    if (auto done = openRiff(fcc::AVI); !done)
        return done;
    return {};
}

WriteResult DvAviWriter::Impl::openRiff(FourCC type)
{
    ++m_riff;
    m_riffStart = m_file->size();
    m_riffFrames = 0;
    auto riff = chunkHeader(fcc::RIFF, 0);
    if (auto done = m_file->append(riff); !done)
        return fail(done.error());
    if (auto done = m_file->append(le32(type.value())); !done)
        return fail(done.error());
    if (m_riff == 0) {
        const auto header = avi::BuildHeaderList(m_format, m_dvInfo, m_counts);
        m_headerSize = header.size();
        if (auto done = m_file->append(header); !done)
            return fail(done.error());
    }
    m_moviStart = m_file->size();
    if (auto done = m_file->append(chunkHeader(fcc::LIST, 0)); !done)
        return fail(done.error());
    if (auto done = m_file->append(le32(fcc::movi.value())); !done)
        return fail(done.error());
    return {};
}

// The standard indexes at the end of the movi list, the legacy index after the first one,
// and the sizes of the list and the RIFF.
WriteResult DvAviWriter::Impl::closeRiff()
{
    const std::uint64_t base = m_moviStart + 8;
    for (std::size_t s = 0; s < m_streamCount; ++s) {
        const std::uint64_t at = m_file->size();
        const auto index = avi::BuildStandardIndex(s, avi::DataChunkId(m_format.type, s), base, m_index[s]);
        if (auto done = m_file->append(index); !done)
            return fail(done.error());
        m_counts.streams[s].superIndex.push_back(
            {at, static_cast<std::uint32_t>(index.size()), static_cast<std::uint32_t>(m_riffSamples[s])});
        m_index[s].clear();
        m_riffSamples[s] = 0;
    }
    if (auto done = m_file->writeAt(m_moviStart + 4, le32(m_file->size() - (m_moviStart + 8))); !done)
        return fail(done.error());
    if (m_riff == 0) {
        if (auto done = m_file->append(avi::BuildIdx1(m_idx1)); !done)
            return fail(done.error());
        m_idx1.clear();
        m_idx1.shrink_to_fit();
    }
    if (auto done = m_file->writeAt(m_riffStart + 4, le32(m_file->size() - (m_riffStart + 8))); !done)
        return fail(done.error());
    return {};
}

// A new AVIX part begins before a frame whose chunk, with the frame's audio and the indexes
// that must still close this RIFF, would carry it past the limit. Every RIFF holds at least
// one frame.
WriteResult DvAviWriter::Impl::makeRoomForFrame()
{
    if (m_riffFrames == 0)
        return {};
    std::uint64_t needed = m_file->size() - m_riffStart + 8 + m_format.frameSize();
    for (const AviPcmFormat &audio : m_format.audio) {
        const std::uint64_t fps = m_format.system == DvSystem::Pal ? 25 : 29;
        needed += 8 + (std::uint64_t{audio.sampleRate} / fps + 1) * audioBlockAlign(audio);
    }
    for (std::size_t s = 0; s < m_streamCount; ++s)
        needed += avi::StandardIndexSize(m_index[s].size() + 1);
    if (m_riff == 0)
        needed += avi::Idx1Size(m_idx1.size() + m_streamCount);
    if (needed <= m_format.riffSizeLimit)
        return {};
    if (m_riff + 1 >= static_cast<int>(avi::kSuperIndexEntries)) {
        // No room for another part in the super indexes: the file is kept, finished with
        // the frames so far, and nothing more is taken.
        auto done = finish();
        m_error = done ? WriterError{WriterErrorCode::TooLong, "\"" + m_path.string() + "\" cannot grow longer"}
                       : done.error();
        return *m_error;
    }
    if (auto done = closeRiff(); !done)
        return done;
    return openRiff(fcc::AVIX);
}

void DvAviWriter::Impl::countChunk(std::size_t stream, std::uint32_t size)
{
    avi::StreamTotals &totals = m_counts.streams[stream];
    totals.largestChunk = std::max(totals.largestChunk, size);
    if (stream == 0) {
        ++m_counts.totalFrames;
        ++m_riffFrames;
        ++m_riffSamples[0];
        ++totals.length;
        if (m_riff == 0)
            ++m_counts.firstRiffFrames;
    } else {
        const std::uint32_t samples = size / audioBlockAlign(m_format.audio[stream - 1]);
        m_riffSamples[stream] += samples;
        totals.length += samples;
    }
}

WriteResult DvAviWriter::Impl::beginChunk(std::size_t stream, std::uint32_t size)
{
    const std::uint64_t at = m_file->size();
    const FourCC id = avi::DataChunkId(m_format.type, stream);
    if (auto done = m_file->append(chunkHeader(id, size)); !done)
        return fail(done.error());
    const std::uint64_t base = m_moviStart + 8;
    m_index[stream].push_back({static_cast<std::uint32_t>(at + 8 - base), size});
    if (m_riff == 0)
        m_idx1.push_back({id, static_cast<std::uint32_t>(at - base), size});
    countChunk(stream, size);
    return {};
}

WriteResult DvAviWriter::Impl::checkFrameSize(std::size_t size) const
{
    if (size == m_format.frameSize())
        return {};
    return WriterError{WriterErrorCode::BadFrame, "A DV frame of " + std::to_string(size) + " bytes where "
                                                      + std::to_string(m_format.frameSize()) + " were expected"};
}

WriteResult DvAviWriter::Impl::writeFrame(std::span<const std::uint8_t> frame)
{
    if (auto done = usable(); !done)
        return done;
    if (auto done = checkFrameSize(frame.size()); !done)
        return done;
    if (auto done = makeRoomForFrame(); !done)
        return done;
    if (!m_haveDvInfo) {
        m_dvInfo = avi::DvInfoFromFrame(frame, m_format.system);
        m_haveDvInfo = true;
    }
    if (auto done = beginChunk(0, static_cast<std::uint32_t>(frame.size())); !done)
        return done;
    if (auto done = m_file->append(frame); !done)
        return fail(done.error());
    return {};
}

WriteResult DvAviWriter::Impl::writeAudio(std::span<const std::uint8_t> pcm, std::size_t stream)
{
    if (auto done = usable(); !done)
        return done;
    if (m_format.type == DvAviType::Type1)
        return WriterError{WriterErrorCode::BadFrame, "A type 1 file carries its audio inside the DV frames"};
    if (stream >= m_format.audio.size())
        return WriterError{WriterErrorCode::BadFrame, "No audio stream " + std::to_string(stream)};
    const std::uint32_t align = audioBlockAlign(m_format.audio[stream]);
    if (pcm.size() % align != 0 || pcm.size() > 0x7FFFFFFFu)
        return WriterError{WriterErrorCode::BadFrame,
                           "Audio of " + std::to_string(pcm.size()) + " bytes is not a whole number of samples"};
    if (pcm.empty())
        return {};
    if (auto done = beginChunk(stream + 1, static_cast<std::uint32_t>(pcm.size())); !done)
        return done;
    if (auto done = m_file->append(pcm); !done)
        return fail(done.error());
    return {};
}

WriteResult DvAviWriter::Impl::writeHeaders()
{
    const auto header = avi::BuildHeaderList(m_format, m_dvInfo, m_counts);
    if (header.size() != m_headerSize)
        return fail(
            WriterError{WriterErrorCode::WriteFailed, "Header size changed while writing \"" + m_path.string() + "\""});
    if (auto done = m_file->writeAt(12, header); !done)
        return fail(done.error());
    return {};
}

WriteResult DvAviWriter::Impl::finish()
{
    if (m_error)
        return *m_error;
    if (m_finished)
        return {};
    m_finished = true;
    if (auto done = closeRiff(); !done)
        return done;
    if (auto done = writeHeaders(); !done)
        return done;
    if (auto done = m_file->commit(); !done)
        return fail(done.error());
    return {};
}

void DvAviWriter::Impl::discard()
{
    if (m_finished)
        return;
    m_finished = true;
    m_file->discard();
}

// ---------------------------------------------------------------------------------------

core::Expected<std::unique_ptr<DvAviWriter>, WriterErrorCode> DvAviWriter::create(const std::filesystem::path &path,
                                                                                  const DvAviFormat &format)
{
    if (format.type == DvAviType::Type2)
        for (const AviPcmFormat &audio : format.audio)
            if (audio.channels == 0 || audio.sampleRate == 0)
                return WriterError{WriterErrorCode::BadFrame, "An audio stream without channels or sample rate"};
    auto file = AviOutputFile::create(path);
    if (!file)
        return file.error();
    auto impl = std::make_unique<Impl>(path, format, std::move(file.value()));
    if (auto done = impl->start(); !done)
        return done.error();
    return std::unique_ptr<DvAviWriter>(new DvAviWriter(std::move(impl)));
}

DvAviWriter::DvAviWriter(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}

DvAviWriter::~DvAviWriter()
{
    m_impl->finish();
}

WriteResult DvAviWriter::writeFrame(std::span<const std::uint8_t> dvFrame)
{
    return m_impl->writeFrame(dvFrame);
}

WriteResult DvAviWriter::writeAudio(std::span<const std::uint8_t> pcm, std::size_t stream)
{
    return m_impl->writeAudio(pcm, stream);
}

WriteResult DvAviWriter::finish()
{
    return m_impl->finish();
}

void DvAviWriter::discard()
{
    m_impl->discard();
}

std::uint64_t DvAviWriter::framesWritten() const
{
    return m_impl->frames();
}

std::uint64_t DvAviWriter::bytesWritten() const
{
    return m_impl->bytes();
}

const std::filesystem::path &DvAviWriter::path() const
{
    return m_impl->path();
}

const DvAviFormat &DvAviWriter::format() const
{
    return m_impl->format();
}

} // namespace camlog::media
