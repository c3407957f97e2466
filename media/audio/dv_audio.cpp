// The audio inside DV frames: its format, the split into PCM and the join of PCM back into frames.
#include "media/audio/dv_audio.h"

#include "core/dv_frame.h"
#include "media/audio/dv_audio_layout.h"

#include <algorithm>
#include <optional>

namespace camlog::media {

namespace {

using dv_audio::AudioBlockOffset;

constexpr std::uint8_t kSourceControlPack = 0x51;
constexpr std::uint8_t kAudioRecordingDate = 0x52;
constexpr std::uint8_t kAudioRecordingTime = 0x53;
constexpr std::size_t kPackOffset = 3;            // the AAUX pack of an audio block, after the block ID
constexpr std::uint8_t kNoInformationMode = 0x0F; // audio mode of a half that carries nothing

DvAudioError Fail(DvAudioErrorCode code, const char *message)
{
    return DvAudioError{code, message};
}

int SampleRateCode(int rate)
{
    switch (rate) {
    case 48000:
        return 0;
    case 44100:
        return 1;
    case 32000:
        return 2;
    default:
        return -1;
    }
}

bool SupportedFormat(const DvAudioFormat &format)
{
    if (SampleRateCode(format.sampleRate) < 0)
        return false;
    if (format.bitsPerSample == 16)
        return format.channels == 2;
    // Nonlinear 12-bit audio exists at 32 kHz only, as one or two stereo pairs.
    return format.bitsPerSample == 12 && format.sampleRate == 32000 && (format.channels == 2 || format.channels == 4);
}

// The AAUX pack of audio block k of sequence s.
const std::uint8_t *PackAt(std::span<const std::uint8_t> frame, int s, int k)
{
    return frame.data() + AudioBlockOffset(s, k) + kPackOffset;
}

// The first AAUX source pack in sequences [from, to), or null.
const std::uint8_t *FindSourcePack(std::span<const std::uint8_t> frame, int from, int to)
{
    for (int s = from; s < to; ++s)
        for (int k = 0; k < 9; ++k)
            if (PackAt(frame, s, k)[0] == core::pack::kAudioSource)
                return PackAt(frame, s, k);
    return nullptr;
}

// Channel layout byte (PC2) of a half that carries the given pair as the recorders write it:
// 16-bit left in the first half and right in the second; 12-bit both channels of a pair in
// each block, the second half marked empty when there is no second pair.
std::uint8_t ComposeLayout(const DvAudioFormat &format, int half)
{
    if (format.bitsPerSample == 16)
        return static_cast<std::uint8_t>(half);
    if (half == 1 && format.channels == 2)
        return 0x30 | kNoInformationMode;
    return 0x30;
}

// The AAUX source pack for one half, keeping the bits of an earlier pack that do not depend on
// the audio (locked flag, multi-language flag, emphasis) and its layout byte when the layout
// does not change.
void WriteSourcePack(std::uint8_t *pack, const std::uint8_t *old, bool keepLayout, const DvAudioFormat &format,
                     std::size_t samples, int half)
{
    const std::uint8_t pc1 = old ? old[1] : 0xC0;
    const std::uint8_t pc2 = old && keepLayout ? old[2] : ComposeLayout(format, half);
    const std::uint8_t pc3 = old ? old[3] : 0xC0;
    const std::uint8_t pc4 = old ? old[4] : 0xC0;
    pack[0] = core::pack::kAudioSource;
    pack[1] = static_cast<std::uint8_t>((pc1 & 0xC0) | (samples - DvAudioMinSamples(format.sampleRate, format.system)));
    pack[2] = pc2;
    // Frame system (50 fields) and one audio block set per frame (25 Mbit/s).
    pack[3] = static_cast<std::uint8_t>((pc3 & 0xC0) | (format.system == DvSystem::Pal ? 0x20 : 0x00));
    pack[4] = static_cast<std::uint8_t>((pc4 & 0xC0) | (SampleRateCode(format.sampleRate) << 3)
                                        | (format.bitsPerSample == 12 ? 1 : 0));
}

// Source control: copying free, original recording, forward at normal speed, nothing else
// known.
void WriteSourceControlPack(std::uint8_t *pack)
{
    static constexpr std::uint8_t kPack[5] = {kSourceControlPack, 0x3F, 0xCF, 0xA0, 0xFF};
    std::copy(std::begin(kPack), std::end(kPack), pack);
}

// A frame without any source pack (an encoder's frame with blank audio blocks) gets the packs
// at their usual places: blocks 3 to 6 of even sequences, 0 to 3 of odd ones. The audio
// recording date and time repeat the video's, as a camera writes them.
void WriteFreshPacks(std::span<std::uint8_t> frame, int nseq, const DvAudioFormat &format, std::size_t samples)
{
    core::DvPack date{}, time{};
    const bool hasDate = core::FindPack(frame, core::pack::kRecordingDate, nseq, date);
    const bool hasTime = core::FindPack(frame, core::pack::kRecordingTime, nseq, time);
    for (int s = 0; s < nseq; ++s) {
        const int first = s % 2 == 0 ? 3 : 0;
        std::uint8_t *packs[4];
        for (int i = 0; i < 4; ++i)
            packs[i] = frame.data() + AudioBlockOffset(s, first + i) + kPackOffset;
        WriteSourcePack(packs[0], nullptr, false, format, samples, s < nseq / 2 ? 0 : 1);
        WriteSourceControlPack(packs[1]);
        if (hasDate) {
            std::copy(date.begin(), date.end(), packs[2]);
            packs[2][0] = kAudioRecordingDate;
        }
        if (hasTime) {
            std::copy(time.begin(), time.end(), packs[3]);
            packs[3][0] = kAudioRecordingTime;
        }
    }
}

void Write16(std::uint8_t *at, std::int16_t value)
{
    // The lowest value is the error code: one step up is the nearest sound value.
    const auto v = static_cast<std::uint16_t>(value == INT16_MIN ? INT16_MIN + 1 : value);
    at[0] = static_cast<std::uint8_t>(v >> 8);
    at[1] = static_cast<std::uint8_t>(v & 0xFF);
}

std::int16_t Read16(const std::uint8_t *at)
{
    const auto v = static_cast<std::uint16_t>((at[0] << 8) | at[1]);
    return v == 0x8000 ? 0 : static_cast<std::int16_t>(v);
}

} // namespace

core::Expected<DvAudioInfo, DvAudioErrorCode> ReadDvAudioInfo(std::span<const std::uint8_t> frame)
{
    const int nseq = core::SequencesForFrameSize(frame.size());
    if (nseq == 0)
        return Fail(DvAudioErrorCode::NotDvFrame, "not a whole DV frame");
    const std::uint8_t *pack = FindSourcePack(frame, 0, nseq);
    if (!pack)
        return Fail(DvAudioErrorCode::NoAudio, "no audio source pack");

    DvAudioInfo info;
    info.format.system = nseq == 12 ? DvSystem::Pal : DvSystem::Ntsc;
    switch ((pack[4] >> 3) & 7) {
    case 0:
        info.format.sampleRate = 48000;
        break;
    case 1:
        info.format.sampleRate = 44100;
        break;
    case 2:
        info.format.sampleRate = 32000;
        break;
    default:
        return Fail(DvAudioErrorCode::UnsupportedFormat, "unknown audio sampling frequency");
    }
    switch (pack[4] & 7) {
    case 0:
        info.format.bitsPerSample = 16;
        break;
    case 1:
        info.format.bitsPerSample = 12;
        break;
    default:
        return Fail(DvAudioErrorCode::UnsupportedFormat, "unknown audio quantisation");
    }
    info.format.channels = 2;
    if (info.format.bitsPerSample == 12) {
        const std::uint8_t *second = FindSourcePack(frame, nseq / 2, nseq);
        if (second && (second[2] & 0x0F) != kNoInformationMode)
            info.format.channels = 4;
    }
    if (!SupportedFormat(info.format))
        return Fail(DvAudioErrorCode::UnsupportedFormat, "12-bit audio other than 32 kHz");
    info.samples = DvAudioMinSamples(info.format.sampleRate, info.format.system) + (pack[1] & 0x3F);
    if (info.samples > DvAudioMaxSamples(info.format.sampleRate, info.format.system))
        return Fail(DvAudioErrorCode::BadSampleCount, "more audio samples than a frame holds");
    return info;
}

core::Expected<std::size_t, DvAudioErrorCode> SplitDvAudio(std::span<const std::uint8_t> frame, DvFrameAudio &out)
{
    auto info = ReadDvAudioInfo(frame);
    if (!info) {
        out.format = {};
        out.samples = 0;
        out.pairs[0].clear();
        out.pairs[1].clear();
        return info.error();
    }
    const DvAudioFormat &format = info->format;
    const std::size_t n = info->samples;
    out.format = format;
    out.samples = n;
    const std::uint8_t *base = frame.data();
    if (format.bitsPerSample == 16) {
        auto &pcm = out.pairs[0];
        pcm.resize(2 * n);
        for (int half = 0; half < 2; ++half) {
            const auto offsets = dv_audio::Offsets16(format.system, half);
            for (std::size_t i = 0; i < n; ++i)
                pcm[2 * i + half] = Read16(base + offsets[i]);
        }
        out.pairs[1].clear();
    } else {
        for (int pair = 0; pair < 2; ++pair) {
            auto &pcm = out.pairs[pair];
            if (pair >= format.pairs()) {
                pcm.clear();
                continue;
            }
            pcm.resize(2 * n);
            const auto offsets = dv_audio::Offsets12(format.system, pair);
            for (std::size_t i = 0; i < n; ++i) {
                const std::uint8_t *at = base + offsets[i];
                pcm[2 * i] = dv_audio::Expand12(static_cast<std::uint16_t>((at[0] << 4) | (at[2] >> 4)));
                pcm[2 * i + 1] = dv_audio::Expand12(static_cast<std::uint16_t>((at[1] << 4) | (at[2] & 0x0F)));
            }
        }
    }
    return n;
}

core::Expected<std::size_t, DvAudioErrorCode> JoinDvAudio(std::span<std::uint8_t> frame, const DvFrameAudio &audio)
{
    const DvAudioFormat &format = audio.format;
    const int nseq = core::SequencesForFrameSize(frame.size());
    if (dvSystemOfSequences(nseq) != format.system)
        return Fail(DvAudioErrorCode::NotDvFrame, "not a whole DV frame of the audio's system");
    if (!SupportedFormat(format))
        return Fail(DvAudioErrorCode::UnsupportedFormat, "an audio format that DV cannot carry");
    const std::size_t n = audio.samples;
    if (n < DvAudioMinSamples(format.sampleRate, format.system)
        || n > DvAudioMaxSamples(format.sampleRate, format.system))
        return Fail(DvAudioErrorCode::BadSampleCount, "a sample count that one frame cannot carry");
    for (int pair = 0; pair < format.pairs(); ++pair)
        if (audio.pairs[pair].size() < 2 * n)
            return Fail(DvAudioErrorCode::BadSampleCount, "fewer samples than announced");

    const auto old = ReadDvAudioInfo(frame);
    const bool keepLayout = old && old->format == format;

    std::uint8_t *base = frame.data();
    if (format.bitsPerSample == 16) {
        const auto &pcm = audio.pairs[0];
        for (int half = 0; half < 2; ++half) {
            const auto offsets = dv_audio::Offsets16(format.system, half);
            for (std::size_t i = 0; i < n; ++i)
                Write16(base + offsets[i], pcm[2 * i + half]);
        }
    } else {
        static const std::vector<std::int16_t> kSilence(2 * 1296, 0);
        for (int pair = 0; pair < 2; ++pair) {
            // Without a second pair its half carries silence.
            const auto &pcm = pair < format.pairs() ? audio.pairs[pair] : kSilence;
            const auto offsets = dv_audio::Offsets12(format.system, pair);
            for (std::size_t i = 0; i < n; ++i) {
                const std::uint16_t l = dv_audio::Compress12(pcm[2 * i]);
                const std::uint16_t r = dv_audio::Compress12(pcm[2 * i + 1]);
                std::uint8_t *at = base + offsets[i];
                at[0] = static_cast<std::uint8_t>(l >> 4);
                at[1] = static_cast<std::uint8_t>(r >> 4);
                at[2] = static_cast<std::uint8_t>(((l & 0x0F) << 4) | (r & 0x0F));
            }
        }
    }

    bool anySourcePack = false;
    for (int s = 0; s < nseq; ++s) {
        for (int k = 0; k < 9; ++k) {
            std::uint8_t *pack = base + AudioBlockOffset(s, k) + kPackOffset;
            if (pack[0] != core::pack::kAudioSource)
                continue;
            anySourcePack = true;
            const std::uint8_t previous[5] = {pack[0], pack[1], pack[2], pack[3], pack[4]};
            WriteSourcePack(pack, previous, keepLayout, format, n, s < nseq / 2 ? 0 : 1);
        }
    }
    if (!anySourcePack)
        WriteFreshPacks(frame, nseq, format, n);
    return n;
}

std::size_t DvAudioSamplesForFrame(int sampleRate, DvSystem system, std::uint64_t frameIndex)
{
    if (SampleRateCode(sampleRate) < 0)
        return 0;
    if (system == DvSystem::Pal)
        return static_cast<std::size_t>(sampleRate / 25);
    if (sampleRate == 48000)
        return frameIndex % 5 == 0 ? 1600 : 1602;
    // rate × 1001 / 30000 samples per frame, rounded down on the running total.
    const auto total = [sampleRate](std::uint64_t frames) {
        return frames * static_cast<std::uint64_t>(sampleRate) * 1001 / 30000;
    };
    return static_cast<std::size_t>(total(frameIndex + 1) - total(frameIndex));
}

std::size_t DvAudioMinSamples(int sampleRate, DvSystem system)
{
    const bool pal = system == DvSystem::Pal;
    switch (sampleRate) {
    case 48000:
        return pal ? 1896 : 1580;
    case 44100:
        return pal ? 1742 : 1452;
    case 32000:
        return pal ? 1264 : 1053;
    default:
        return 0;
    }
}

std::size_t DvAudioMaxSamples(int sampleRate, DvSystem system)
{
    const std::size_t min = DvAudioMinSamples(sampleRate, system);
    if (min == 0)
        return 0;
    // The pack stores the count above the minimum in 6 bits; the frame's places may hold fewer
    // (at 32 kHz the bound of 12-bit audio holds for both sample sizes, above any real count).
    const std::size_t places = sampleRate == 32000 ? dv_audio::Capacity12(system) : dv_audio::Capacity16(system);
    return std::min(min + 63, places);
}

} // namespace camlog::media
