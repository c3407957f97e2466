// The fast datecode scan: runs scene detection over a file reading only the first bytes of each frame.
#include "media/reading/datecode_scan.h"

#include "core/dv_frame.h"
#include "media/reading/dv_format.h"
#include "scenes/frame_record.h"

#include <array>
#include <vector>

namespace camlog::media {

namespace {
constexpr std::size_t kProgressEvery = 256;
}

DatecodeScanResult ScanDatecodes(DvFrameReader &reader, scenes::Tdv_sceneDetect &detector,
                                 const DatecodeScanOptions &options)
{
    DatecodeScanResult result;
    std::array<std::uint8_t, scenes::kContinuingPrefixSize> quick{};
    std::array<std::uint8_t, scenes::kFramePrefixSize> prefix{};
    std::vector<std::uint8_t> whole;
    // The recording times of the frame before, when they came from its first bytes.
    core::RecordingTimes previous;
    bool previousKnown = false;
    const std::size_t total = reader.frameCount();

    detector.StartStreaming();
    for (std::size_t i = 0; i < total; ++i) {
        if (options.abort && options.abort->load(std::memory_order_relaxed)) {
            result.aborted = true;
            break;
        }
        if (options.progress && i % kProgressEvery == 0)
            options.progress(i, total);

        const int nseq = core::SequencesForFrameSize(reader.frame(i).size);
        if (nseq == 0) {
            ++result.framesSkipped;
            continue;
        }
        // Most frames continue the one before and are settled by the first bytes of their first
        // sequence; the others are read from two sequences, and whole when those disagree or
        // announce a new recording.
        scenes::FrameRecord record = detector.Current();
        const int framesPerSecond = dvTimecodeFrames(dvSystemOfSequences(nseq).value_or(DvSystem::Ntsc));
        core::RecordingTimes times;
        if (previousKnown && reader.readFramePrefix(i, quick) == quick.size()
            && scenes::DecodeContinuingFrameRecord(quick, nseq, framesPerSecond, previous, record, previous)) {
            detector.ReceiveDecoded(record);
        } else if (reader.readFramePrefix(i, prefix) == prefix.size()
                   && scenes::DecodeFrameRecordFromPrefix(prefix, nseq, record, times)
                   && !(options.confirmNewRecordings && detector.WouldStartScene(record))) {
            previous = times;
            previousKnown = true;
            detector.ReceiveDecoded(record);
        } else if (reader.readFrame(i, whole)) {
            // The voted times let the next frame be settled by its first bytes again.
            previous = core::ReadRecordingTimes(whole, nseq);
            previousKnown = previous.datecodeFound && previous.timecodeFound;
            ++result.wholeFrameReads;
            detector.Receive(whole);
        } else {
            previousKnown = false;
            ++result.framesSkipped;
            continue;
        }
        ++result.framesScanned;
    }
    if (options.progress)
        options.progress(result.aborted ? result.framesScanned : total, total);
    detector.Stop(result.aborted ? 1 : 0);
    return result;
}

} // namespace camlog::media
