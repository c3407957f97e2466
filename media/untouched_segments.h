// The macroblocks of the video segments that keep the source frame's own coding.
#pragma once

#include "media/ffmpeg_owners.h"

#include <vector>

namespace camlog::media {

// Fills every macroblock of the segments not marked in `touched` (sequence × 27 + segment)
// with mid grey in all planes: those segments of the encoded frame are replaced by the
// source's, and a flat macroblock is the quickest for the encoder to code. The picture is the
// DV picture of nseq sequences (720 wide, 576 or 480 high) in planar 8-bit YUV.
void FlattenUntouchedSegments(AVFrame &picture, int nseq, const std::vector<bool> &touched);

} // namespace camlog::media
