// The picture stage of the re-encoding line: the picture filters, then keep-or-recode.
#include "media/reencoding/dv_picture_worker.h"

#include "core/dv_frame.h"
#include "media/pipeline/run_error.h"

#include <algorithm>

namespace camlog::media {

namespace {

// Frames waiting behind a pack that is not full yet. Where the filters touch nothing for a long
// stretch (an inlay shown once, at each scene), the pack would otherwise keep every frame of the
// tape behind it: it is sent on, part full, at this count, so memory stays flat.
constexpr std::size_t kMostFramesWaitingForAPack = 25;

} // namespace

DvPictureWorker::DvPictureWorker(DvPictureWorkerPlan plan, DvEncoderWorkers &encoders,
                                 std::unique_ptr<DvSegmentPacker> packer, std::size_t picturesInFlight)
    : m_plan(std::move(plan)),
      m_encoders(encoders),
      m_packer(std::move(packer)),
      m_pictures(picturesInFlight)
{
    m_thread = std::thread([this] { loop(); });
}

DvPictureWorker::~DvPictureWorker()
{
    abort();
    join();
}

bool DvPictureWorker::push(PictureJob job)
{
    return m_pictures.push(std::move(job));
}

void DvPictureWorker::join()
{
    if (m_thread.joinable())
        m_thread.join();
}

std::exception_ptr DvPictureWorker::error() const
{
    std::lock_guard lock(m_errorMutex);
    return m_error;
}

void DvPictureWorker::loop()
{
    try {
        bool started = false;
        while (auto job = m_pictures.pop()) {
            prepare(*job, started);
            std::vector<core::PixelRect> changed;
            for (PictureFilter *filter : m_plan.filters)
                changed.push_back(filter->FilterPicture(*job->picture, job->source->picture));
            giveShape(*job);
            if (!sendPicture(*job, changed)) {
                // The encoders stopped: the decoding must not wait for this thread.
                m_pictures.abort();
                return;
            }
        }
        if (flushPack())
            m_encoders.close();
        else
            m_pictures.abort();
    } catch (...) {
        {
            std::lock_guard lock(m_errorMutex);
            m_error = std::current_exception();
        }
        m_pictures.abort();
        m_encoders.abort();
    }
}

// Starts the filters on the first picture, and makes the picture writable for them.
void DvPictureWorker::prepare(PictureJob &job, bool &started)
{
    AVFrame &picture = *job.picture;
    if (!started) {
        for (PictureFilter *filter : m_plan.filters)
            if (!filter->StartPictures(picture.width, picture.height, static_cast<AVPixelFormat>(picture.format),
                                       m_plan.sourceFrameDuration))
                failRun(RunErrorCode::Refused, "a picture filter refused the pictures of " + m_plan.source.string());
        started = true;
    }
    if (!m_plan.filters.empty() && av_frame_make_writable(&picture) < 0)
        failRun(RunErrorCode::Failed, "out of memory for a picture");
}

// A DV source's picture takes the shape its DV frame says, whatever the decoder made of it.
void DvPictureWorker::giveShape(PictureJob &job) const
{
    if (!m_plan.sourceSystem)
        return;
    const bool wide = job.source->sequences > 0 ? job.source->picture.record.widePicture : m_plan.target.wide;
    job.picture->sample_aspect_ratio = DvPictureFormat{*m_plan.sourceSystem, wide}.pixelAspect();
}

// Sends the picture to the encoders: scaled into the DV picture (a picture already in the DV
// format as it is), or, when the source frame's video is kept where no filter changed the
// picture, only its touched segments, in the pack. False when the encoders stopped.
bool DvPictureWorker::sendPicture(PictureJob &job, std::span<const core::PixelRect> changed)
{
    const SourceFrameData &source = *job.source;
    const int nseq = dvSequences(m_plan.target.system);
    const bool asItIs = m_plan.target.takesAsItIs(*job.picture);
    if (m_packer && source.sequences == nseq && !source.frame.empty() && asItIs) {
        const std::vector<bool> touched = core::DvSegmentsMeeting(nseq, changed);
        if (std::find(touched.begin(), touched.end(), false) != touched.end())
            return packPicture(job, touched);
    }
    if (!flushPack())
        return false;
    return m_encoders.push({std::move(job.picture), !asItIs, {{std::move(job.source), job.count, true, {}}}, nullptr});
}

// Puts the picture's touched segments into the pack, sending the pack on first when they do
// not fit; a picture with none touched is its source frame as it was.
bool DvPictureWorker::packPicture(PictureJob &job, const std::vector<bool> &touched)
{
    const bool any = std::find(touched.begin(), touched.end(), true) != touched.end();
    const AVFrame *picture = any ? job.picture.get() : nullptr;
    EncodeOutput output{std::move(job.source), job.count, false, {}};
    if (!m_packer->add(picture, touched, output.placed)) {
        if (!flushPack())
            return false;
        m_packer->add(picture, touched, output.placed);
    }
    m_packed.push_back(std::move(output));
    // A frame kept whole with no pack being filled waits for nothing.
    if (m_packer->empty() || m_packed.size() >= kMostFramesWaitingForAPack)
        return flushPack();
    return true;
}

// Sends the pack to the encoders with the pictures in it; an empty pack is nothing to encode.
bool DvPictureWorker::flushPack()
{
    if (m_packed.empty())
        return true;
    EncodeJob job{nullptr, false, std::move(m_packed), nullptr};
    m_packed.clear();
    if (!m_packer->empty()) {
        job.picture = m_packer->takePicture();
        if (!job.picture)
            failRun(RunErrorCode::Failed, "out of memory for a picture");
        job.recycle = [this](AvFramePtr picture) {
            m_packer->recyclePicture(std::move(picture));
        };
    }
    return m_encoders.push(std::move(job));
}

} // namespace camlog::media
