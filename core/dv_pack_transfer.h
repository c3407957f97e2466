// Carrying the camera's recording data (recording date and time, timecode and the other packs
// of the subcode and VAUX blocks) from a frame of one DV system into a frame of the other.
#pragma once

#include "core/dv_frame.h"

#include <array>
#include <cstdint>
#include <span>

namespace camlog::core {

using DifHeaderArea = std::array<std::uint8_t, kDifHeaderAreaSize>;

// `source` holds the first six blocks (header, two subcode, three VAUX) of each DIF sequence
// of the source frame, 10 or 12 of them. Copying those blocks whole into a frame of the other
// system would mark it with the source's system (header block, VAUX source pack) and leave
// sequences without a source, so only the packs move: every pack of the subcode and VAUX
// blocks of target sequence s comes from the source sequence at the same place in the same
// half of the frame, except the VAUX source and source-control packs, which keep the target's
// own (its system and aspect). Block identifiers, the header block and every other block of
// the target stay as they are. Nothing happens when `nseq` or the source count is not 10 or 12.
void CopyRecordingPacksAcrossSystems(std::span<std::uint8_t> frame, int nseq, std::span<const DifHeaderArea> source);

} // namespace camlog::core
