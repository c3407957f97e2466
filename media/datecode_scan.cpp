// The fast datecode scan: runs scene detection over a file reading only the first bytes of each frame.
#include "media/datecode_scan.h"

#include "core/dv_frame.h"
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
    std::array<std::uint8_t, scenes::kFramePrefixSize> prefix{};
    std::vector<std::uint8_t> whole;
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
        const std::size_t got = reader.readFramePrefix(i, prefix);
        scenes::FrameRecord record = detector.Current();
        if (got == prefix.size() && scenes::DecodeFrameRecordFromPrefix(prefix, nseq, record)) {
            detector.ReceiveDecoded(record);
        } else if (reader.readFrame(i, whole)) {
            ++result.wholeFrameReads;
            detector.Receive(whole);
        } else {
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
