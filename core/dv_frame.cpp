// Reading and rewriting the packs inside one DV frame: datecode, timecode, system, aspect, audio.
#include "core/dv_frame.h"

#include <algorithm>
#include <cstring>

namespace camlog::core {

namespace {

constexpr std::size_t kPackSize = 5;
constexpr int kSubcodePacksPerBlock = 6;
constexpr int kVauxPacksPerBlock = 15;
constexpr int kAudioBlocksPerSequence = 9;
// Header block bytes: 3 holds the system (DSF), 4 the APT bits that tell consumer DV (0)
// from the professional variants.
constexpr std::size_t kSystemByte = 3;
constexpr std::size_t kAptByte = 4;

constexpr std::size_t sequenceStart(int s) { return kDifSequenceSize * static_cast<std::size_t>(s); }

// Visits every subcode and VAUX pack position of the frame in search order (sequence by
// sequence; in each, subcode blocks 1 and 2, then VAUX blocks 3, 4 and 5) until the visitor
// returns true. Positions whose five bytes do not lie inside the buffer are left out.
template <typename Visitor>
bool forEachPackPosition(std::size_t bufferSize, int nseq, Visitor &&visit)
{
    for (int s = 0; s < nseq; ++s) {
        const std::size_t base = sequenceStart(s);
        if (base >= bufferSize)
            return false;
        for (int block = 1; block <= 2; ++block)
            for (int j = 0; j < kSubcodePacksPerBlock; ++j) {
                const std::size_t pos = base + kDifBlockSize * block + 6 + 8 * j;
                if (pos + kPackSize <= bufferSize && visit(s, pos))
                    return true;
            }
        for (int block = 3; block <= 5; ++block)
            for (int j = 0; j < kVauxPacksPerBlock; ++j) {
                const std::size_t pos = base + kDifBlockSize * block + 3 + 5 * j;
                if (pos + kPackSize <= bufferSize && visit(s, pos))
                    return true;
            }
    }
    return false;
}

int bcd(std::uint8_t byte, std::uint8_t tensMask)
{
    return (byte & 0x0F) + 10 * ((byte & tensMask) >> 4);
}

// Puts the units digit into bits 0-3 and, when it fits the tens field, the tens digit into
// the field's bits; every other bit of the byte stays as it was.
void putBcd(std::uint8_t &byte, int value, std::uint8_t tensMask, int maxTens)
{
    byte = static_cast<std::uint8_t>((byte & 0xF0) | (value % 10));
    const int tens = value / 10;
    if (tens <= maxTens)
        byte = static_cast<std::uint8_t>((byte & ~tensMask) | ((tens << 4) & tensMask));
}

} // namespace

int SequencesForFrameSize(std::size_t size)
{
    if (size == kNtscFrameSize)
        return 10;
    if (size == kPalFrameSize)
        return 12;
    return 0;
}

bool FindPack(std::span<const std::uint8_t> frame, std::uint8_t id, int nseq, DvPack &out)
{
    return forEachPackPosition(frame.size(), nseq, [&](int, std::size_t pos) {
        if (frame[pos] != id)
            return false;
        std::copy_n(frame.begin() + static_cast<std::ptrdiff_t>(pos), kPackSize, out.begin());
        return true;
    });
}

bool FindAudioSourceBlock(std::span<const std::uint8_t> frame, std::uint8_t id, int nseq, DifBlock &out)
{
    for (int s = 0; s < nseq; ++s)
        for (int k = 0; k < kAudioBlocksPerSequence; ++k) {
            const std::size_t pos = sequenceStart(s) + kDifBlockSize * (6 + 16 * k);
            if (pos + kDifBlockSize > frame.size())
                return false;
            if (frame[pos + 3] == id) {
                std::copy_n(frame.begin() + static_cast<std::ptrdiff_t>(pos), kDifBlockSize, out.begin());
                return true;
            }
        }
    return false;
}

bool ReadTimecode(std::span<const std::uint8_t> frame, int nseq, TTimecode &out)
{
    DvPack p;
    if (!FindPack(frame, pack::kTimecode, nseq, p))
        return false;
    out.frames = static_cast<std::uint8_t>(bcd(p[1], 0x30));
    out.seconds = static_cast<std::uint8_t>(bcd(p[2], 0x70));
    out.minutes = static_cast<std::uint8_t>(bcd(p[3], 0x70));
    out.hours = static_cast<std::uint8_t>(bcd(p[4], 0x30));
    return true;
}

bool ReadDatecode(std::span<const std::uint8_t> frame, int nseq, TDatecode &out)
{
    DvPack time;
    DvPack date;
    bool found = FindPack(frame, pack::kRecordingTime, nseq, time);
    if (found)
        found = FindPack(frame, pack::kRecordingDate, nseq, date);
    if (!found) {
        // Some recorders leave the identifiers of the date and time packs at zero in the
        // 12th and 13th pack slots of the last VAUX block of sequence 0.
        constexpr std::size_t kDatePlace = 458;
        constexpr std::size_t kTimePlace = 463;
        if (frame.size() < kTimePlace + kPackSize)
            return false;
        const std::uint8_t dateId = frame[kDatePlace];
        const std::uint8_t timeId = frame[kTimePlace];
        if ((dateId != pack::kRecordingDate && dateId != 0) || (timeId != pack::kRecordingTime && timeId != 0))
            return false;
        std::copy_n(frame.begin() + kDatePlace, kPackSize, date.begin());
        std::copy_n(frame.begin() + kTimePlace, kPackSize, time.begin());
    }
    out.second = static_cast<std::uint8_t>(bcd(time[2], 0x70));
    out.minute = static_cast<std::uint8_t>(bcd(time[3], 0x70));
    out.hour = static_cast<std::uint8_t>(bcd(time[4], 0x30));
    out.day = static_cast<std::uint8_t>(bcd(date[2], 0x30));
    out.month = static_cast<std::uint8_t>(bcd(date[3], 0x10));
    const int shortYear = 10 * (date[4] >> 4) + (date[4] & 0x0F);
    out.year = shortYear < 25 ? 2000 + shortYear : 1900 + shortYear;
    return true;
}

bool ReadIsNtsc(std::span<const std::uint8_t> frame, bool &isNtsc)
{
    if (frame.size() <= kSystemByte)
        return false;
    if (frame[kSystemByte] == 0xBF) {
        isNtsc = false;
        return true;
    }
    if (frame[kSystemByte] == 0x3F) {
        isNtsc = true;
        return true;
    }
    return false;
}

bool ReadAudioFormat(std::span<const std::uint8_t> frame, int nseq, int &sampleRate, int &channels, int &bits)
{
    DifBlock block;
    if (!FindAudioSourceBlock(frame, pack::kAudioSource, nseq, block))
        return false;
    const std::uint8_t pc2 = block[5];
    const std::uint8_t pc4 = block[7];
    switch ((pc4 >> 3) & 0x07) {
    case 0: sampleRate = 48000; break;
    case 1: sampleRate = 44100; break;
    case 2: sampleRate = 32000; break;
    default: sampleRate = 0; break;
    }
    switch (pc4 & 0x07) {
    case 0: bits = 16; break;
    case 1: bits = 12; break;
    default: bits = 0; break;
    }
    if ((pc2 & 0x0F) != 0)
        channels = 0;
    else
        channels = ((pc2 & 0x20) == 0 ? 2 : 1) * ((pc2 & 0x10) != 0 ? 2 : 1);
    return true;
}

// Consumer DV (APT 0) marks a wide picture with DISP 7, the professional variants with
// DISP 2; DISP 2 reads as wide in both.
bool ReadIs16x9(std::span<const std::uint8_t> frame, int nseq, bool &wide)
{
    DvPack p;
    if (!FindPack(frame, pack::kVideoSourceControl, nseq, p))
        return false;
    const int disp = p[2] & 0x07;
    const bool consumer = frame.size() > kAptByte && (frame[kAptByte] & 0x07) == 0;
    wide = disp == 2 || (consumer && disp == 7);
    return true;
}

void SetAspect16x9(std::span<std::uint8_t> frame, int nseq, bool wide)
{
    forEachPackPosition(frame.size(), nseq, [&](int s, std::size_t pos) {
        if (frame[pos] != pack::kVideoSourceControl)
            return false;
        const bool consumer = (frame[sequenceStart(s) + kAptByte] & 0x07) == 0;
        const int disp = !wide ? 0 : (consumer ? 7 : 2);
        frame[pos + 2] = static_cast<std::uint8_t>((frame[pos + 2] & ~0x07) | disp);
        return false;
    });
}

void WriteDatecode(std::span<std::uint8_t> frame, int nseq, const TDatecode &d)
{
    forEachPackPosition(frame.size(), nseq, [&](int, std::size_t pos) {
        std::uint8_t *p = frame.data() + pos;
        if (p[0] == pack::kRecordingTime) {
            putBcd(p[2], d.second, 0x70, 7);
            putBcd(p[3], d.minute, 0x70, 7);
            putBcd(p[4], d.hour, 0x30, 3);
        } else if (p[0] == pack::kRecordingDate) {
            putBcd(p[2], d.day, 0x30, 3);
            putBcd(p[3], d.month, 0x10, 1);
            if (d.year >= 0)
                p[4] = static_cast<std::uint8_t>((((d.year / 10) % 10) << 4) | (d.year % 10));
        }
        return false;
    });
}

std::optional<DateTime> DatecodeToDateTime(const TDatecode &d)
{
    return DateTime::fromFields({d.year, d.month, d.day, d.hour, d.minute, d.second, 0});
}

TDatecode DateTimeToDatecode(DateTime value)
{
    const auto f = value.fields();
    if (!f)
        return {};
    return {f->year,
            static_cast<std::uint8_t>(f->month),
            static_cast<std::uint8_t>(f->day),
            static_cast<std::uint8_t>(f->hour),
            static_cast<std::uint8_t>(f->minute),
            static_cast<std::uint8_t>(f->second)};
}

} // namespace camlog::core
