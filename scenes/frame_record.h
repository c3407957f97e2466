// The per-frame record of scene detection: datecode, timecode and recording format of one DV frame.
#pragma once

#include "core/date_time.h"
#include "core/dv_frame.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace camlog::scenes {

struct FrameRecord {
    std::int32_t frameNumber = 0; // DV frames that went through the detector before this one
    bool datecodeValid = false;
    bool timecodeValid = false;
    bool formatValid = false; // both the audio source and the video source-control packs found
    core::DateTime datecode;  // 0 when not valid
    core::TTimecode timecode;
    bool widePicture = false;
    bool ntsc = false;
    std::int32_t audioRate = 0; // 48000, 44100, 32000 or 0
    std::int32_t audioBits = 0; // 16, 12 or 0
    std::int32_t audioMode = 0; // channel count from the audio source pack; never compared

    bool operator==(const FrameRecord &) const = default;
};

// Decodes the packs of one DV frame into rec. The validity flags and the datecode and timecode
// are set anew; the format fields whose pack is missing keep the values rec already holds,
// so a frame with a dropout carries on the format of the frames before it.
void DecodeFrameRecord(std::span<const std::uint8_t> frame, int nseq, FrameRecord &rec);

// The first bytes of every frame that the datecode scan reads: all of DIF sequence 0 and the
// header, subcode and VAUX blocks of sequence 1, so that copies of the recording date, time
// and timecode from two sequences (written by different heads) can be compared.
inline constexpr std::size_t kFramePrefixSize = core::kDifSequenceSize + core::kDifHeaderAreaSize;

// Decodes from the first bytes of a frame when they settle every value: the audio source and
// source-control packs are found inside them (the searches run in file order, so the whole
// frame would give the same packs), and the copies of the recording date, time and timecode
// in both sequences agree (core::CopiesAgreeAcrossSequences). Returns false, leaving rec
// untouched, otherwise: the caller then decodes the whole frame, whose copies vote.
bool DecodeFrameRecordFromPrefix(std::span<const std::uint8_t> prefix, int nseq, FrameRecord &rec);
// The same, giving also the recording date, time and timecode read.
bool DecodeFrameRecordFromPrefix(std::span<const std::uint8_t> prefix, int nseq, FrameRecord &rec,
                                 core::RecordingTimes &times);

// The first bytes of sequence 0 that settle a frame continuing the one before: its header,
// subcode and VAUX blocks and the first four audio blocks, where the audio source and
// source-control packs lie.
inline constexpr std::size_t kContinuingPrefixSize = 55 * core::kDifBlockSize;

// Decodes from the first bytes of sequence 0 alone a frame that continues the frame before
// (whose record is rec and whose recording times were `previous`): the copies of sequence 0
// agree; its recording date and time are the previous ones or one second later, its timecode
// one frame later (at `framesPerSecond`), both within the same minute; the format packs are
// there and say what the previous frame said. A damaged sequence seldom reads exactly as the
// next frame of the recording would, and two sequences written by different heads are read
// for anything else. Returns false, leaving rec and times untouched, otherwise.
bool DecodeContinuingFrameRecord(std::span<const std::uint8_t> prefix, int nseq, int framesPerSecond,
                                 const core::RecordingTimes &previous, FrameRecord &rec, core::RecordingTimes &times);

} // namespace camlog::scenes
