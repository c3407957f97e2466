// Reading and rewriting the packs inside one DV frame: datecode, timecode, system, aspect, audio.
#include "core/dv_frame.h"

#include "core/copy_vote.h"

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

constexpr std::size_t sequenceStart(int s)
{
    return kDifSequenceSize * static_cast<std::size_t>(s);
}

// Visits every subcode and VAUX pack position of the frame in search order (sequence by
// sequence; in each, subcode blocks 1 and 2, then VAUX blocks 3, 4 and 5) until the visitor
// returns true. Positions whose five bytes do not lie inside the buffer are left out.
template <typename Visitor> bool forEachPackPosition(std::size_t bufferSize, int nseq, Visitor &&visit)
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

namespace {

// Recording date and time, decoded arithmetically from their packs as the fields stand.
TDatecode decodeDatecode(const DvPack &date, const DvPack &time)
{
    TDatecode d;
    d.second = static_cast<std::uint8_t>(bcd(time[2], 0x70));
    d.minute = static_cast<std::uint8_t>(bcd(time[3], 0x70));
    d.hour = static_cast<std::uint8_t>(bcd(time[4], 0x30));
    d.day = static_cast<std::uint8_t>(bcd(date[2], 0x30));
    d.month = static_cast<std::uint8_t>(bcd(date[3], 0x10));
    const int shortYear = 10 * (date[4] >> 4) + (date[4] & 0x0F);
    d.year = shortYear < 25 ? 2000 + shortYear : 1900 + shortYear;
    return d;
}

TTimecode decodeTimecode(const DvPack &p)
{
    return {static_cast<std::uint8_t>(bcd(p[4], 0x30)), static_cast<std::uint8_t>(bcd(p[3], 0x70)),
            static_cast<std::uint8_t>(bcd(p[2], 0x70)), static_cast<std::uint8_t>(bcd(p[1], 0x30))};
}

// Vote keys: the decoded fields packed into one word, for copies that hold a real value. They
// are worked out for every copy of every frame the scan reads, so they check the fields
// directly rather than through decodeDatecode and a calendar value.
std::optional<std::uint32_t> dateKey(const DvPack &date)
{
    const int day = bcd(date[2], 0x30);
    const int month = bcd(date[3], 0x10);
    const int shortYear = 10 * (date[4] >> 4) + (date[4] & 0x0F);
    const int year = shortYear < 25 ? 2000 + shortYear : 1900 + shortYear;
    if (month < 1 || month > 12 || day < 1 || day > DateTime::daysInMonth(year, month))
        return std::nullopt;
    return static_cast<std::uint32_t>(year) << 16 | static_cast<std::uint32_t>(month) << 8
           | static_cast<std::uint32_t>(day);
}

std::optional<std::uint32_t> timeKey(const DvPack &time)
{
    const int second = bcd(time[2], 0x70);
    const int minute = bcd(time[3], 0x70);
    const int hour = bcd(time[4], 0x30);
    if (hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    return static_cast<std::uint32_t>(hour) << 16 | static_cast<std::uint32_t>(minute) << 8
           | static_cast<std::uint32_t>(second);
}

std::optional<std::uint32_t> timecodeKey(const DvPack &p)
{
    const int hours = bcd(p[4], 0x30);
    const int minutes = bcd(p[3], 0x70);
    const int seconds = bcd(p[2], 0x70);
    const int frames = bcd(p[1], 0x30);
    if (hours > 23 || minutes > 59 || seconds > 59 || frames > 29)
        return std::nullopt;
    return static_cast<std::uint32_t>(hours) << 24 | static_cast<std::uint32_t>(minutes) << 16
           | static_cast<std::uint32_t>(seconds) << 8 | static_cast<std::uint32_t>(frames);
}

// Every copy of one kind of pack in a frame: the first one as it stands, and the vote of
// those that decode to a real value.
struct PackCopies {
    std::optional<DvPack> first;
    CopyVote vote;
    // Copies hold real values but agree on none.
    bool disagree() const { return vote.copies() > 0 && !vote.winner(); }
};

struct FrameCopies {
    PackCopies date;
    PackCopies time;
    PackCopies timecode;
};

void addCopy(PackCopies &copies, const DvPack &p, std::optional<std::uint32_t> (*keyOf)(const DvPack &))
{
    if (!copies.first)
        copies.first = p;
    if (const auto key = keyOf(p))
        copies.vote.add(*key);
}

// One pass over the subcode and VAUX packs gathers the three votes.
void gatherCopies(std::span<const std::uint8_t> frame, int nseq, FrameCopies &copies)
{
    forEachPackPosition(frame.size(), nseq, [&](int, std::size_t pos) {
        const std::uint8_t id = frame[pos];
        if (id != pack::kRecordingDate && id != pack::kRecordingTime && id != pack::kTimecode)
            return false;
        DvPack p;
        std::copy_n(frame.begin() + static_cast<std::ptrdiff_t>(pos), kPackSize, p.begin());
        if (id == pack::kRecordingDate)
            addCopy(copies.date, p, dateKey);
        else if (id == pack::kRecordingTime)
            addCopy(copies.time, p, timeKey);
        else
            addCopy(copies.timecode, p, timecodeKey);
        return false;
    });
}

// Some recorders leave the identifiers of the date and time packs at zero in the 12th and
// 13th pack slots of the last VAUX block of sequence 0.
bool readDatecodeFromFixedPlaces(std::span<const std::uint8_t> frame, TDatecode &out)
{
    constexpr std::size_t kDatePlace = 458;
    constexpr std::size_t kTimePlace = 463;
    if (frame.size() < kTimePlace + kPackSize)
        return false;
    const std::uint8_t dateId = frame[kDatePlace];
    const std::uint8_t timeId = frame[kTimePlace];
    if ((dateId != pack::kRecordingDate && dateId != 0) || (timeId != pack::kRecordingTime && timeId != 0))
        return false;
    DvPack date;
    DvPack time;
    std::copy_n(frame.begin() + kDatePlace, kPackSize, date.begin());
    std::copy_n(frame.begin() + kTimePlace, kPackSize, time.begin());
    out = decodeDatecode(date, time);
    return true;
}

void putDateKey(std::uint32_t key, TDatecode &out)
{
    out.year = static_cast<std::int32_t>(key >> 16);
    out.month = static_cast<std::uint8_t>(key >> 8);
    out.day = static_cast<std::uint8_t>(key);
}

void putTimeKey(std::uint32_t key, TDatecode &out)
{
    out.hour = static_cast<std::uint8_t>(key >> 16);
    out.minute = static_cast<std::uint8_t>(key >> 8);
    out.second = static_cast<std::uint8_t>(key);
}

TTimecode timecodeOfKey(std::uint32_t key)
{
    return {static_cast<std::uint8_t>(key >> 24), static_cast<std::uint8_t>(key >> 16),
            static_cast<std::uint8_t>(key >> 8), static_cast<std::uint8_t>(key)};
}

bool datecodeFromCopies(std::span<const std::uint8_t> frame, const FrameCopies &copies, TDatecode &out)
{
    if (!copies.date.first || !copies.time.first)
        return readDatecodeFromFixedPlaces(frame, out);
    if (copies.date.disagree() || copies.time.disagree())
        return false;
    if (copies.date.vote.copies() == 0 || copies.time.vote.copies() == 0) {
        // No real value to agree on: decoded as the first copies stand, for the caller's
        // calendar check to refuse.
        out = decodeDatecode(*copies.date.first, *copies.time.first);
        return true;
    }
    putDateKey(*copies.date.vote.winner(), out);
    putTimeKey(*copies.time.vote.winner(), out);
    return true;
}

bool timecodeFromCopies(const FrameCopies &copies, TTimecode &out)
{
    if (!copies.timecode.first)
        return false;
    if (copies.timecode.vote.copies() == 0) {
        out = decodeTimecode(*copies.timecode.first);
        return true;
    }
    const auto value = copies.timecode.vote.winner();
    if (!value)
        return false;
    out = timecodeOfKey(*value);
    return true;
}

} // namespace

bool ReadTimecode(std::span<const std::uint8_t> frame, int nseq, TTimecode &out)
{
    FrameCopies copies;
    gatherCopies(frame, nseq, copies);
    return timecodeFromCopies(copies, out);
}

bool ReadDatecode(std::span<const std::uint8_t> frame, int nseq, TDatecode &out)
{
    FrameCopies copies;
    gatherCopies(frame, nseq, copies);
    return datecodeFromCopies(frame, copies, out);
}

RecordingTimes ReadRecordingTimes(std::span<const std::uint8_t> frame, int nseq)
{
    FrameCopies copies;
    gatherCopies(frame, nseq, copies);
    RecordingTimes times;
    times.datecodeFound = datecodeFromCopies(frame, copies, times.datecode);
    times.timecodeFound = timecodeFromCopies(copies, times.timecode);
    return times;
}

namespace {

// The copies of one kind of pack in the first sequences of a frame, as far as telling whether
// they agree needs: the first copy, the first real value, and which sequences hold a copy and
// a real one.
struct SequenceCopies {
    const std::uint8_t *first = nullptr;
    std::optional<std::uint32_t> value;
    bool conflict = false;
    std::uint32_t sequencesWithCopy = 0;  // bit s: sequence s holds a copy
    std::uint32_t sequencesWithValue = 0; // bit s: sequence s holds a real copy

    void add(int s, const std::uint8_t *packBytes, std::optional<std::uint32_t> key)
    {
        if (!first)
            first = packBytes;
        sequencesWithCopy |= 1U << s;
        if (!key)
            return;
        sequencesWithValue |= 1U << s;
        if (!value)
            value = key;
        else if (*value != *key)
            conflict = true;
    }

    bool agrees(std::uint32_t all) const
    {
        return !conflict && sequencesWithCopy == all && (sequencesWithValue == 0 || sequencesWithValue == all);
    }
};

DvPack packAt(const std::uint8_t *bytes)
{
    DvPack p;
    std::copy_n(bytes, kPackSize, p.begin());
    return p;
}

} // namespace

bool ReadSettledRecordingTimes(std::span<const std::uint8_t> part, int sequences, RecordingTimes &out)
{
    SequenceCopies date;
    SequenceCopies time;
    SequenceCopies timecode;
    forEachPackPosition(part.size(), sequences, [&](int s, std::size_t pos) {
        const std::uint8_t *bytes = part.data() + pos;
        switch (bytes[0]) {
        case pack::kRecordingDate:
            date.add(s, bytes, dateKey(packAt(bytes)));
            break;
        case pack::kRecordingTime:
            time.add(s, bytes, timeKey(packAt(bytes)));
            break;
        case pack::kTimecode:
            timecode.add(s, bytes, timecodeKey(packAt(bytes)));
            break;
        default:
            break;
        }
        return false;
    });
    const std::uint32_t all = (1U << sequences) - 1;
    if (!date.agrees(all) || !time.agrees(all) || !timecode.agrees(all))
        return false;
    // Every sequence holds a copy of each, so the first copies exist; where the real copies
    // hold one value, that value wins the vote of ReadRecordingTimes.
    out.datecodeFound = true;
    if (!date.value || !time.value) {
        out.datecode = decodeDatecode(packAt(date.first), packAt(time.first));
    } else {
        putDateKey(*date.value, out.datecode);
        putTimeKey(*time.value, out.datecode);
    }
    out.timecodeFound = true;
    out.timecode = timecode.value ? timecodeOfKey(*timecode.value) : decodeTimecode(packAt(timecode.first));
    return true;
}

bool CopiesAgreeAcrossSequences(std::span<const std::uint8_t> part, int sequences)
{
    RecordingTimes unused;
    return ReadSettledRecordingTimes(part, sequences, unused);
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
    case 0:
        sampleRate = 48000;
        break;
    case 1:
        sampleRate = 44100;
        break;
    case 2:
        sampleRate = 32000;
        break;
    default:
        sampleRate = 0;
        break;
    }
    switch (pc4 & 0x07) {
    case 0:
        bits = 16;
        break;
    case 1:
        bits = 12;
        break;
    default:
        bits = 0;
        break;
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

void WriteTimecode(std::span<std::uint8_t> frame, int nseq, const TTimecode &t)
{
    forEachPackPosition(frame.size(), nseq, [&](int, std::size_t pos) {
        std::uint8_t *p = frame.data() + pos;
        if (p[0] == pack::kTimecode) {
            putBcd(p[1], t.frames, 0x30, 3);
            putBcd(p[2], t.seconds, 0x70, 7);
            putBcd(p[3], t.minutes, 0x70, 7);
            putBcd(p[4], t.hours, 0x30, 3);
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
