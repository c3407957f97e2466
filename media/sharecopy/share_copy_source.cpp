// The share-copy recipe.
#include "media/sharecopy/share_copy_source.h"

#include "core/dv_frame.h"
#include "core/format.h"
#include "core/local_moment.h"
#include "media/decoding/av_file_decoder.h"
#include "media/pipeline/output_policy.h"
#include "media/pipeline/run_error.h"
#include "media/reading/datecode_scan.h"
#include "media/reading/dv_frame_reader.h"
#include "media/sharecopy/aac_encoder.h"
#include "media/sharecopy/h264_encoder.h"
#include "media/sharecopy/mp4_sink.h"
#include "media/sharecopy/mp4_writer.h"
#include "media/sharecopy/share_picture_chain.h"
#include "media/sharecopy/share_picture_stage.h"

extern "C" {
#include <libavutil/mathematics.h>
}

#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace camlog::media {

namespace {
constexpr std::int64_t kPalFrameDuration = 400000;
constexpr std::int64_t kNtscFrameDuration = 333667;

// A stage further down stopped taking what the decoding sends: its failure ends the run.
[[noreturn]] void stoppedBy(const std::exception_ptr &first, const std::exception_ptr &second)
{
    if (first)
        std::rethrow_exception(first);
    if (second)
        std::rethrow_exception(second);
    failRun(RunErrorCode::Failed, "the share copy stopped");
}

ReencodeError openFailure(const std::filesystem::path &source, const std::string &what)
{
    return ReencodeError{ReencodeErrorCode::CannotOpen, source.string() + ": " + what};
}
} // namespace

class ShareCopySource::Impl {
public:
    ShareCopyPlan plan;
    std::unique_ptr<DvFrameReader> reader;
    std::unique_ptr<AvFileDecoder> decoder;
    std::unique_ptr<SharePictureChain> chain;
    std::unique_ptr<H264Encoder> video;
    std::unique_ptr<AacEncoder> audio;
    AVRational frameRate{25, 1};
    double framesPerSecond = 25.0;
    std::int64_t frameDuration = kPalFrameDuration;
    std::int64_t frames = 0;

    scenes::ShareCopyDates scanDates(PipelineRun &run);
    Mp4Dates mp4Dates(const scenes::ShareCopyDates &dates, bool &usedFileDate) const;
    RunOutcome copy(PipelineRun &run, Mp4Sink &sink, SharePictureStage &pictures);

private:
    AvFramePtr pictureAt(const AVFrame &decoded, std::int64_t index) const;
    void drainAudio(Mp4Sink &sink);
    std::int64_t endFrame() const { return plan.range.end < 0 ? frames : std::min(plan.range.end, frames); }
};

ShareCopySource::ShareCopySource(std::unique_ptr<Impl> impl) : m_impl(std::move(impl)) {}
ShareCopySource::~ShareCopySource() = default;

core::Expected<std::unique_ptr<ShareCopySource>, ReencodeErrorCode> ShareCopySource::open(const ShareCopyPlan &plan)
{
    auto impl = std::make_unique<Impl>();
    impl->plan = plan;
    auto opened = DvFrameReader::open(plan.source);
    if (!opened)
        return openFailure(plan.source, opened.error().message);
    impl->reader = std::move(opened.value());
    if (impl->reader->dvStream() < 0 || impl->reader->frameCount() == 0)
        return ReencodeError{ReencodeErrorCode::NoStream, "no DV frame in " + plan.source.string()};
    // The shape of the copy is that of its first frame (a scene's own).
    const auto count = static_cast<std::int64_t>(impl->reader->frameCount());
    const auto firstFrame = static_cast<std::size_t>(std::clamp<std::int64_t>(plan.range.first, 0, count - 1));
    std::vector<std::uint8_t> first;
    if (!impl->reader->readFrame(firstFrame, first))
        return openFailure(plan.source, "its first frame cannot be read");
    const int sequences = core::SequencesForFrameSize(first.size());
    const bool ntsc = sequences == 10;
    bool wide = false;
    core::ReadIs16x9(first, sequences, wide);
    impl->frames = static_cast<std::int64_t>(impl->reader->frameCount());
    impl->frameRate = ntsc ? AVRational{30000, 1001} : AVRational{25, 1};
    impl->framesPerSecond = av_q2d(impl->frameRate);
    impl->frameDuration = ntsc ? kNtscFrameDuration : kPalFrameDuration;

    auto decoder = AvFileDecoder::open(plan.source, {true, true});
    if (!decoder)
        return decoder.error();
    impl->decoder = std::move(decoder.value());
    const AVCodecContext &pictures = impl->decoder->videoContext();
    auto chain = SharePictureChain::create({pictures.width, pictures.height, pictures.pix_fmt, impl->frameRate, wide});
    if (!chain)
        return chain.error();
    impl->chain = std::move(chain.value());
    const SharePictureFormat &format = impl->chain->format();
    auto video = H264Encoder::create(
        {format.width, format.height, impl->chain->timeBase(), format.pictureRate, plan.preset, plan.crf, ntsc});
    if (!video)
        return video.error();
    impl->video = std::move(video.value());
    if (impl->decoder->hasAudio()) {
        const AVCodecContext &sound = impl->decoder->audioContext();
        auto audio = AacEncoder::create(sound.sample_rate, std::max(1, sound.ch_layout.nb_channels));
        if (!audio)
            return audio.error();
        impl->audio = std::move(audio.value());
    }
    return std::unique_ptr<ShareCopySource>(new ShareCopySource(std::move(impl)));
}

std::int64_t ShareCopySource::FrameDuration() const
{
    return m_impl->frameDuration;
}

std::int64_t ShareCopySource::Duration() const
{
    return m_impl->frames * m_impl->frameDuration;
}

// The line: the decoding here (the sound encoded here too, AAC being quick), the picture
// stage on its thread, the sink on its own.
void ShareCopySource::Run(PipelineRun &run)
{
    Impl &impl = *m_impl;
    const scenes::ShareCopyDates dates = impl.scanDates(run);
    if (run.stopRequested())
        return; // nothing written yet
    m_usedFileDate = false;
    const std::unique_ptr<Mp4Sink> sink =
        Mp4Sink::start(impl.plan.destination, impl.video->context(), impl.audio ? &impl.audio->context() : nullptr,
                       impl.mp4Dates(dates, m_usedFileDate));
    std::unique_ptr<SharePictureStage> pictures = std::make_unique<SharePictureStage>(*impl.chain, *impl.video, *sink);
    sink->policy().conclude([&] { return impl.copy(run, *sink, *pictures); }, [&] { sink->finish(); },
                            [&] {
                                pictures.reset(); // drops what is on its way, joins its thread
                                sink->discard();
                            });
}

// The datecode scan with the subtitle lines, as the srt file gets them.
scenes::ShareCopyDates ShareCopySource::Impl::scanDates(PipelineRun &run)
{
    DatecodeCaptionStep lines;
    lines.SetCaptionSettings(plan.captions);
    lines.SetFrameDuration(frameDuration);
    scenes::ShareCopyDatesCollector collector(lines, plan.chapterTitleFormat,
                                              core::DateTime::fromDays(plan.captions.timeDifference), plan.range);
    scenes::Tdv_sceneDetect detector;
    detector.setCaptionStep(&collector);
    detector.OnScene = [&](const scenes::FrameRecord &start, const scenes::FrameRecord &current) {
        collector.Scene(start, current);
    };
    detector.OnCaption = [&](const scenes::FrameRecord &record, const std::u16string &line1,
                             const std::u16string &line2) {
        collector.Caption(record, line1, line2);
    };
    DatecodeScanOptions options;
    options.abort = &run.stopFlag();
    ScanDatecodes(*reader, detector, options);
    return collector.Result();
}

Mp4Dates ShareCopySource::Impl::mp4Dates(const scenes::ShareCopyDates &dates, bool &usedFileDate) const
{
    const auto ms = [&](std::int64_t frame) {
        return core::SrtTimeMs(static_cast<std::uint32_t>(std::max<std::int64_t>(frame, 0)), framesPerSecond)
            .value_or(0);
    };
    Mp4Dates result;
    for (const scenes::CaptionCue &cue : dates.cues)
        result.cues.push_back(Mp4Cue{ms(cue.start), ms(cue.end), cue.line1 + "\n" + cue.line2});
    for (const scenes::DatedChapter &chapter : dates.chapters)
        result.chapters.push_back(Mp4Chapter{ms(chapter.start), ms(chapter.end), chapter.title});
    if (dates.firstDatecode)
        result.creation = core::LocalMomentOf(*dates.firstDatecode);
    if (!result.creation) {
        usedFileDate = true;
        struct stat info {};
        if (::stat(plan.source.c_str(), &info) == 0)
            result.creation = core::LocalMomentAt(static_cast<std::int64_t>(info.st_mtime));
    }
    return result;
}

RunOutcome ShareCopySource::Impl::copy(PipelineRun &run, Mp4Sink &sink, SharePictureStage &pictures)
{
    const std::int64_t first = std::clamp<std::int64_t>(plan.range.first, 0, frames);
    const std::int64_t end = endFrame();
    if (first > 0)
        decoder->seekTo(static_cast<double>(first) / framesPerSecond - 1.0);
    const int rate = audio ? decoder->audioContext().sample_rate : 0;
    const auto sampleAt = [&](std::int64_t frame) {
        return av_rescale_q(frame, av_inv_q(frameRate), {1, rate > 0 ? rate : 1});
    };
    const std::int64_t firstSample = rate > 0 ? sampleAt(first) : 0;
    const std::int64_t endSample = rate > 0 ? sampleAt(end) : 0;
    bool picturesDone = false;
    bool soundDone = !audio;
    while (!(picturesDone && soundDone) && !run.stopRequested()) {
        const DecodedKind kind = checked(decoder->next());
        if (kind == DecodedKind::End)
            break;
        const double time = decoder->time(kind);
        if (kind == DecodedKind::Video) {
            const auto index = static_cast<std::int64_t>(std::llround(time * framesPerSecond));
            if (index >= end)
                picturesDone = true;
            else if (index >= first && !pictures.push(pictureAt(decoder->frame(kind), index - first)))
                stoppedBy(pictures.error(), sink.error());
            run.setPosition(index * frameDuration);
        } else if (!soundDone) {
            const AVFrame &sound = decoder->frame(kind);
            const auto start = static_cast<std::int64_t>(std::llround(time * rate));
            const std::int64_t skip = std::max<std::int64_t>(0, firstSample - start);
            const std::int64_t keep = std::min<std::int64_t>(sound.nb_samples, endSample - start) - skip;
            if (start + sound.nb_samples >= endSample)
                soundDone = true;
            if (keep > 0) {
                checked(audio->send(sound, static_cast<int>(skip), static_cast<int>(keep)));
                drainAudio(sink);
            }
        }
    }
    if (run.stopRequested())
        return RunOutcome::Stopped;
    pictures.close();
    if (audio) {
        checked(audio->finish());
        drainAudio(sink);
        sink.endSound();
    }
    pictures.join();
    sink.join();
    return RunOutcome::Completed;
}

// A new reference to the decoded picture, numbered from the copy's first frame.
AvFramePtr ShareCopySource::Impl::pictureAt(const AVFrame &decoded, std::int64_t index) const
{
    AvFramePtr picture(av_frame_alloc());
    if (!picture || av_frame_ref(picture.get(), &decoded) < 0)
        failRun(RunErrorCode::Failed, plan.source.string() + ": out of memory");
    picture->pts = index;
    return picture;
}

void ShareCopySource::Impl::drainAudio(Mp4Sink &sink)
{
    for (;;) {
        AvPacketPtr packet(av_packet_alloc());
        if (!packet)
            failRun(RunErrorCode::Failed, "out of memory for a packet");
        if (!checked(audio->receive(packet.get())))
            return;
        if (!sink.pushAudio(std::move(packet)))
            stoppedBy(sink.error(), nullptr);
    }
}

} // namespace camlog::media
