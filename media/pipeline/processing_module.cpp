// The processing module: the one processing pipeline, the program's own stages, and the recipes
// that build the pipeline for each graph command.
#include "media/pipeline/processing_module.h"

#include "core/dv_frame.h"
#include "media/pipeline/audio_extract_source.h"
#include "media/pipeline/av_audio_extract_source.h"
#include "media/pipeline/content_scan_source.h"
#include "media/pipeline/datecode_scan_source.h"
#include "media/pipeline/dv_copy_source.h"
#include "media/pipeline/dv_source_file.h"
#include "media/pipeline/reencode_error.h"
#include "media/pipeline/source_error.h"
#include "media/reencoding/dv_deinter.h"
#include "media/reencoding/dv_reencode_source.h"
#include "media/sharecopy/share_copy_source.h"

namespace camlog::media {

TCdm::TCdm() : m_deinter(std::make_unique<Tdv_deinter>()) {}

TCdm::~TCdm()
{
    m_fg.Reset();
}

void TCdm::ResetGraph()
{
    m_fg.Reset();
    m_audioExtract = nullptr;
    m_avAudioExtract = nullptr;
    m_reencode = nullptr;
    m_shareCopy = nullptr;
    m_frameDuration = 0;
    m_sceneDetect.OnScene = nullptr;
    m_sceneDetect.OnFinished = nullptr;
    m_sceneDetect.OnCaption = nullptr;
    m_sceneDetect.setCaptionStep(nullptr);
    m_sceneDetectContenu.OnCut = nullptr;
    m_sceneDetectContenu.OnFinished = nullptr;
    m_dvHeader.ResetDefaults();
}

RunResult TCdm::buildCopy(const std::string &source, const std::string &destination, DvAviType type, DvAudioRoute audio,
                          bool withHeaderFilter)
{
    ResetGraph();
    DvCopyPlan plan;
    plan.source = source;
    plan.destination = destination;
    plan.outputType = type;
    plan.audio = audio;
    if (withHeaderFilter)
        plan.videoStages.push_back(&m_dvHeader);
    auto copy = DvCopySource::open(plan);
    if (!copy)
        return runError(copy.error());
    m_frameDuration = copy.value()->FrameDuration();
    m_fg.SetSource(std::move(copy.value()));
    return {};
}

RunResult TCdm::BuildConvertirDV2(const std::string &source, const std::string &destination)
{
    return buildCopy(source, destination, DvAviType::Type2, DvAudioRoute::SplitFromFrames, false);
}

RunResult TCdm::BuildConvertirDV1(const std::string &source, const std::string &destination)
{
    return buildCopy(source, destination, DvAviType::Type1, DvAudioRoute::JoinIntoFrames, false);
}

RunResult TCdm::BuildCorrigerType2(const std::string &source, const std::string &destination)
{
    return buildCopy(source, destination, DvAviType::Type2, DvAudioRoute::PassStreams, false);
}

RunResult TCdm::BuildDVheaderGraph(const std::string &source, const std::string &destination)
{
    const auto file = DvSourceFile::open(source);
    if (!file) {
        ResetGraph();
        return runError(file.error());
    }
    const bool type1 = file.value()->interleaved && file.value()->audio.empty();
    return buildCopy(source, destination, type1 ? DvAviType::Type1 : DvAviType::Type2,
                     type1 ? DvAudioRoute::None : DvAudioRoute::PassStreams, true);
}

RunResult TCdm::BuildRecompresserDV2(const std::string &source, const std::string &destination, DvSystem system,
                                     bool wide, int audioRate)
{
    ResetGraph();
    m_dvHeader.AspectRewrite = true;
    m_dvHeader.Wide = wide;
    m_dvHeader.CopyHeaders = false;
    DvReencodePlan plan;
    plan.source = source;
    plan.destination = destination;
    plan.system = system;
    plan.wide = wide;
    plan.audioRate = audioRate;
    plan.frameStages.push_back(&m_dvHeader);
    auto reencode = DvReencodeSource::open(plan);
    if (!reencode)
        return runError(reencode.error());
    m_frameDuration = reencode.value()->FrameDuration();
    m_fg.SetSource(std::move(reencode.value()));
    return {};
}

RunResult TCdm::BuildNtscPal1(const std::string &source, const std::string &destination, DvSystem target,
                              bool deinterlace)
{
    return buildReencodedDv(source, destination, target, deinterlace ? m_deinter.get() : nullptr, DvAviType::Type1);
}

RunResult TCdm::BuildNtscPal2(const std::string &source, const std::string &destination, DvSystem target,
                              bool deinterlace)
{
    return buildReencodedDv(source, destination, target, deinterlace ? m_deinter.get() : nullptr, DvAviType::Type2);
}

RunResult TCdm::BuildIncruster1(const std::string &source, const std::string &destination, DvSystem system)
{
    return buildReencodedDv(source, destination, system, &m_superposer, DvAviType::Type1);
}

RunResult TCdm::BuildIncruster2(const std::string &source, const std::string &destination, DvSystem system)
{
    return buildReencodedDv(source, destination, system, &m_superposer, DvAviType::Type2);
}

// Without a picture filter, an interlaced picture is scaled field by field.
RunResult TCdm::buildReencodedDv(const std::string &source, const std::string &destination, DvSystem system,
                                 PictureFilter *filter, DvAviType type)
{
    ResetGraph();
    const auto file = DvSourceFile::open(source);
    if (!file)
        return runError(file.error());
    std::vector<std::uint8_t> first;
    bool wide = false;
    if (file.value()->reader->readFrame(0, first))
        core::ReadIs16x9(first, core::SequencesForFrameSize(first.size()), wide);
    DvReencodePlan plan;
    plan.source = source;
    plan.destination = destination;
    plan.system = system;
    plan.wide = wide;
    plan.outputType = type;
    plan.headerFilter = &m_dvHeader;
    if (filter != nullptr)
        plan.pictureFilters.push_back(filter);
    else
        plan.interlacedScaling = true;
    auto reencode = DvReencodeSource::open(plan);
    if (!reencode)
        return runError(reencode.error());
    m_reencode = reencode.value().get();
    // The sound keeps its rate where DV frames can carry it.
    m_reencode->SetAudioRate(m_reencode->SourceAudioRate());
    m_frameDuration = reencode.value()->FrameDuration();
    m_fg.SetSource(std::move(reencode.value()));
    return {};
}

RunResult TCdm::BuildCutScenes1(const std::string &source, const std::string &destination)
{
    return buildCopy(source, destination, DvAviType::Type1, DvAudioRoute::None, false);
}

RunResult TCdm::BuildCutScenes2(const std::string &source, const std::string &destination)
{
    return buildCopy(source, destination, DvAviType::Type2, DvAudioRoute::PassStreams, false);
}

RunResult TCdm::BuildScnByDate(const std::string &source)
{
    ResetGraph();
    auto scan = DatecodeScanSource::open(source, m_sceneDetect, nullptr);
    if (!scan)
        return runError(scan.error());
    m_frameDuration = scan.value()->FrameDuration();
    m_fg.SetSource(std::move(scan.value()));
    return {};
}

RunResult TCdm::BuildCreerSrt(const std::string &source)
{
    ResetGraph();
    auto scan = DatecodeScanSource::open(source, m_sceneDetect, &m_captionStep);
    if (!scan)
        return runError(scan.error());
    m_sceneDetect.setCaptionStep(&m_captionStep);
    m_frameDuration = scan.value()->FrameDuration();
    m_fg.SetSource(std::move(scan.value()));
    return {};
}

RunResult TCdm::BuildScnByContenu(const std::string &source)
{
    ResetGraph();
    auto scan = ContentScanSource::open(source, m_mediaStamper, m_sceneDetectContenu);
    if (!scan)
        return runError(scan.error());
    m_frameDuration = scan.value()->FrameDuration();
    m_fg.SetSource(std::move(scan.value()));
    return {};
}

RunResult TCdm::BuildExtraireAudio(const std::string &source, const std::string &destination)
{
    ResetGraph();
    auto extract = AudioExtractSource::open(source, destination);
    if (extract) {
        m_audioExtract = extract.value().get();
        m_fg.SetSource(std::move(extract.value()));
        return {};
    }
    // A file without sound has nothing to do, which is no failure.
    if (extract.error().code == SourceErrorCode::NoAudio)
        return RunError{RunErrorCode::NothingToDo, extract.error().message};
    if (extract.error().code != SourceErrorCode::NotDv && extract.error().code != SourceErrorCode::UnsupportedAudio)
        return runError(extract.error());
    // Any other file FFmpeg reads, and DV files whose sound is not PCM.
    auto decoded = AvAudioExtractSource::open(source, destination);
    if (!decoded)
        return decoded.error().code == ReencodeErrorCode::NoStream
                   ? RunError{RunErrorCode::NothingToDo, decoded.error().message}
                   : runError(decoded.error());
    m_avAudioExtract = decoded.value().get();
    m_fg.SetSource(std::move(decoded.value()));
    return {};
}

RunResult TCdm::BuildShareCopy(const ShareCopyPlan &plan)
{
    ResetGraph();
    auto copy = ShareCopySource::open(plan);
    if (!copy)
        return runError(copy.error());
    m_shareCopy = copy.value().get();
    m_frameDuration = copy.value()->FrameDuration();
    m_fg.SetSource(std::move(copy.value()));
    return {};
}

bool TCdm::ShareCopyUsedFileDate() const
{
    return m_shareCopy != nullptr && m_shareCopy->UsedFileDate();
}

bool TCdm::SetAcmSampleRate(int rate)
{
    if (rate <= 0)
        return false;
    if (m_reencode != nullptr)
        return m_reencode->SetAudioRate(rate);
    if (m_avAudioExtract != nullptr) {
        m_avAudioExtract->SetOutputRate(rate);
        return true;
    }
    if (m_audioExtract == nullptr)
        return false;
    m_audioExtract->SetOutputRate(rate);
    return true;
}

} // namespace camlog::media
