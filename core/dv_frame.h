// Reading and rewriting the packs inside one DV frame: datecode, timecode, system, aspect, audio.
#pragma once

#include "core/date_time.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace camlog::core {

inline constexpr std::size_t kDifBlockSize = 80;
inline constexpr std::size_t kDifSequenceSize = 12000;
inline constexpr std::size_t kNtscFrameSize = 120000; // 10 DIF sequences, 525/60
inline constexpr std::size_t kPalFrameSize = 144000;  // 12 DIF sequences, 625/50
// Header, subcode and VAUX blocks of one DIF sequence (blocks 0 to 5).
inline constexpr std::size_t kDifHeaderAreaSize = 480;

// Tape position, not a time of day.
struct TTimecode {
    std::uint8_t hours = 0;
    std::uint8_t minutes = 0;
    std::uint8_t seconds = 0;
    std::uint8_t frames = 0;
    bool operator==(const TTimecode &) const = default;
};

// Decoded recording date and time; no validity is implied by the record itself.
struct TDatecode {
    std::int32_t year = 0;
    std::uint8_t month = 0;
    std::uint8_t day = 0;
    std::uint8_t hour = 0;
    std::uint8_t minute = 0;
    std::uint8_t second = 0;
    bool operator==(const TDatecode &) const = default;
};

using DvPack = std::array<std::uint8_t, 5>;
using DifBlock = std::array<std::uint8_t, kDifBlockSize>;

namespace pack {
inline constexpr std::uint8_t kTimecode = 0x13;
inline constexpr std::uint8_t kAudioSource = 0x50;
inline constexpr std::uint8_t kVideoSourceControl = 0x61;
inline constexpr std::uint8_t kRecordingDate = 0x62;
inline constexpr std::uint8_t kRecordingTime = 0x63;
} // namespace pack

// The number of DIF sequences of a frame of this size: 10, 12, or 0 for any other size.
int SequencesForFrameSize(std::size_t size);

// Every operation takes the frame and nseq (10 or 12). Pack positions that lie beyond the
// end of the buffer count as absent, so a shorter buffer (the first bytes of a frame) is
// searched safely as far as it goes and nothing outside it is ever read or written.
bool FindPack(std::span<const std::uint8_t> frame, std::uint8_t id, int nseq, DvPack &out);
bool FindAudioSourceBlock(std::span<const std::uint8_t> frame, std::uint8_t id, int nseq, DifBlock &out);
// The recording date, the recording time and the timecode are each read as the value that
// most of their copies in the frame agree on (subcode and VAUX packs of every sequence), so
// that a damaged copy does not decide the frame. A copy that does not hold a real value
// (month 13, hour 25, frame 45...) does not vote. When the copies that do vote agree on
// nothing, the field is not found; when none votes, the first copy is decoded as it stands
// (the calendar check of the caller then refuses a datecode).
bool ReadTimecode(std::span<const std::uint8_t> frame, int nseq, TTimecode &out);
bool ReadDatecode(std::span<const std::uint8_t> frame, int nseq, TDatecode &out);

struct RecordingTimes {
    bool datecodeFound = false;
    TDatecode datecode;
    bool timecodeFound = false;
    TTimecode timecode;
};
// ReadDatecode and ReadTimecode in one pass over the packs.
RecordingTimes ReadRecordingTimes(std::span<const std::uint8_t> frame, int nseq);

// Whether each of the first `sequences` DIF sequences held in `part` (the first bytes of a
// frame) holds copies of the recording date, the recording time and the timecode, and the
// copies agree: the real ones all hold one value, in every one of these sequences, or none
// of them holds a real value. A reader that sees only these sequences can then take their
// reading as the frame's: the whole frame reads otherwise only when these sequences, read
// by different heads, were damaged into the same wrong value.
bool CopiesAgreeAcrossSequences(std::span<const std::uint8_t> part, int sequences);
// CopiesAgreeAcrossSequences and, when the copies agree, what ReadRecordingTimes reads from
// the same bytes, in one pass over the packs. False, leaving out untouched, when they do not
// agree.
bool ReadSettledRecordingTimes(std::span<const std::uint8_t> part, int sequences, RecordingTimes &out);
bool ReadIsNtsc(std::span<const std::uint8_t> frame, bool &isNtsc);
bool ReadAudioFormat(std::span<const std::uint8_t> frame, int nseq, int &sampleRate, int &channels, int &bits);
bool ReadIs16x9(std::span<const std::uint8_t> frame, int nseq, bool &wide);
void SetAspect16x9(std::span<std::uint8_t> frame, int nseq, bool wide);
void WriteDatecode(std::span<std::uint8_t> frame, int nseq, const TDatecode &datecode);
// Rewrites every timecode pack of every sequence (the flag bits of each pack are kept).
void WriteTimecode(std::span<std::uint8_t> frame, int nseq, const TTimecode &timecode);

// The calendar value of a datecode, or nothing when it is not a real date and time.
std::optional<DateTime> DatecodeToDateTime(const TDatecode &datecode);
// The fields of a date-time value as a datecode (seconds rounded to the millisecond and
// truncated); a value outside the calendar gives a zero record.
TDatecode DateTimeToDatecode(DateTime value);

} // namespace camlog::core
