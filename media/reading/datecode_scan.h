// The fast datecode scan: runs scene detection over a file reading only the first bytes of each frame.
#pragma once

#include "media/reading/dv_frame_reader.h"
#include "scenes/dv_scene_detect.h"

#include <atomic>
#include <cstdint>
#include <functional>

namespace camlog::media {

struct DatecodeScanOptions {
    // Polled before every frame; the run then stops early (the detector still reports the
    // scene in progress).
    const std::atomic<bool> *abort = nullptr;
    // Called every few hundred frames and at the end with (frames done, frames in all).
    std::function<void(std::size_t done, std::size_t total)> progress;
    // A frame whose first bytes announce a new recording is read whole and its copies put to
    // the vote before the scene is cut (off only to measure what the confirmation costs).
    bool confirmNewRecordings = true;
};

struct DatecodeScanResult {
    std::size_t framesScanned = 0;   // DV frames fed to the detector
    std::size_t wholeFrameReads = 0; // frames whose first bytes did not settle every value, or
                                     // announced a new recording
    std::size_t framesSkipped = 0;   // samples that are not DV frames, or could not be read
    bool aborted = false;
};

// Runs the detector over every frame of the reader's DV stream, from StartStreaming to Stop.
// Each frame costs one read of its first bytes (DIF sequence 0 and the header, subcode and
// VAUX blocks of sequence 1), taken from the index, so a type 2 file's audio chunks are never
// touched. A frame is read whole, and its copies of the recording date, time and timecode
// put to the vote, when those first bytes lack a pack or their two sequences disagree, and
// when they announce a new recording: a rare event that a dropout over the first two
// sequences could fake. The detector sees the same records as when it is fed every whole
// frame, except that SavedHeaders follows only the frames read whole.
DatecodeScanResult ScanDatecodes(DvFrameReader &reader, scenes::Tdv_sceneDetect &detector,
                                 const DatecodeScanOptions &options = {});

} // namespace camlog::media
