// Where each audio sample lies inside a 25 Mbit/s DV frame, and the 12-bit nonlinear sample code.
#pragma once

#include "media/reading/dv_format.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace camlog::media::dv_audio {

// Sample places per channel in one half of a frame: 9 audio blocks per DIF sequence, 72 data
// bytes per block; 16-bit samples take 2 bytes, a 12-bit pair (left and right) 3 bytes.
std::size_t Capacity16(DvSystem system); // 1944 (625/50) or 1620 (525/60)
std::size_t Capacity12(DvSystem system); // 1296 or 1080

// Byte offsets in the frame of the samples of one half (half 0: the first nseq/2 DIF
// sequences). 16-bit: sample n is 2 bytes, high byte first. 12-bit: sample pair n is the
// 3 bytes L[11:4], R[11:4], L[3:0]R[3:0]. Sample n of a half goes to DIF sequence
// (n/3 + 2·(n mod 3)) mod h, audio block 3·(n mod 3) + (n mod 9h) / 3h, at the sample place
// n / 9h of that block, where h is the number of DIF sequences in a half (6 or 5).
std::span<const std::uint32_t> Offsets16(DvSystem system, int half);
std::span<const std::uint32_t> Offsets12(DvSystem system, int half);

// Byte offset in the frame of audio block k (0..8) of DIF sequence s.
constexpr std::size_t AudioBlockOffset(int s, int k)
{
    return 12000u * s + 80u * (6 + 16 * k);
}

// The 12-bit nonlinear code of DV audio: a 16-bit value in segments, exact up to ±512 and
// coarser by one bit per segment above; negative codes mirror the positive ones in ones'
// complement. Expand gives the 16-bit value at the start of the code's step (code 0x800,
// the error code, gives silence).
std::int16_t Expand12(std::uint16_t code);
// The code of a 16-bit value (truncating within its segment); never the error code 0x800.
std::uint16_t Compress12(std::int16_t value);

} // namespace camlog::media::dv_audio
