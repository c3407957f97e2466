// The picture stage of the re-encoding line: the picture filters, then keep-or-recode.
#pragma once

#include "media/decoding/ffmpeg_owners.h"
#include "media/pipeline/bounded_queue.h"
#include "media/pipeline/picture_filter.h"
#include "media/reading/dv_format.h"
#include "media/reencoding/dv_encoder_workers.h"
#include "media/reencoding/dv_picture_stage.h"
#include "media/reencoding/dv_segment_packer.h"
#include "media/reencoding/dv_source_frames.h"

#include <cstdint>
#include <exception>
#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <thread>
#include <vector>

namespace camlog::media {

// One source picture and the output frames it fills.
struct PictureJob {
    AvFramePtr picture;
    std::shared_ptr<const SourceFrameData> source;
    std::int64_t count = 0;
};

struct DvPictureWorkerPlan {
    std::filesystem::path source; // named in the messages
    // Applied in order, in place, to every picture.
    std::vector<PictureFilter *> filters;
    DvPictureFormat target;
    // A DV source's system: the shape of each picture is then the one its DV frame says.
    std::optional<DvSystem> sourceSystem;
    std::int64_t sourceFrameDuration = 0; // 100-ns units per source picture
};

// On a thread of its own, one picture at a time: the picture filters, then keep-or-recode.
// With a segment packer (a DV source of the target's system), the video segments no filter
// touched keep their own coding: only the touched ones go to the encoders, several pictures'
// worth in one pack, and a picture no filter touched is its source frame as it was. Otherwise
// the whole picture goes to the encoders (scaled into the DV picture there when it is not one).
class DvPictureWorker {
public:
    DvPictureWorker(DvPictureWorkerPlan plan, DvEncoderWorkers &encoders, std::unique_ptr<DvSegmentPacker> packer,
                    std::size_t picturesInFlight);
    // Drops what is on its way and joins the thread.
    ~DvPictureWorker();
    DvPictureWorker(const DvPictureWorker &) = delete;
    DvPictureWorker &operator=(const DvPictureWorker &) = delete;

    // From the decoding thread; false once the stage stopped (its failure or the encoders').
    bool push(PictureJob job);
    // No more pictures: the last pack goes out, then the encoders are closed.
    void close() { m_pictures.close(); }
    // Drops what is on its way; the thread ends after at most its picture.
    void abort() { m_pictures.abort(); }
    void join();
    // The failure that stopped the stage, if one did.
    std::exception_ptr error() const;

private:
    void loop();
    void prepare(PictureJob &job, bool &started);
    void giveShape(PictureJob &job) const;
    bool sendPicture(PictureJob &job, std::span<const core::PixelRect> changed);
    bool packPicture(PictureJob &job, const std::vector<bool> &touched);
    bool flushPack();

    DvPictureWorkerPlan m_plan;
    DvEncoderWorkers &m_encoders;
    std::unique_ptr<DvSegmentPacker> m_packer;
    std::vector<EncodeOutput> m_packed; // the pictures in the pack, in order
    BoundedQueue<PictureJob> m_pictures;
    std::thread m_thread;
    mutable std::mutex m_errorMutex;
    std::exception_ptr m_error;
};

} // namespace camlog::media
