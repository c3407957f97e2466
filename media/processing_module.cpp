// The processing module: the one processing pipeline, the program's own stages, and the recipes
// that build the pipeline for each graph command.
#include "media/processing_module.h"

#include "core/dv_frame.h"
#include "media/audio_extract_source.h"
#include "media/av_audio_extract_source.h"
#include "media/content_scan_source.h"
#include "media/datecode_scan_source.h"
#include "media/dv_copy_source.h"
#include "media/dv_deinter.h"
#include "media/dv_reencode_source.h"
#include "media/dv_source_file.h"
#include "media/share_copy_source.h"

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
    m_buildError.clear();
    m_frameDuration = 0;
    m_sceneDetect.OnScene = nullptr;
    m_sceneDetect.OnFinished = nullptr;
    m_sceneDetect.OnCaption = nullptr;
    m_sceneDetect.setCaptionStep(nullptr);
    m_sceneDetectContenu.OnCut = nullptr;
    m_sceneDetectContenu.OnFinished = nullptr;
    m_dvHeader.ResetDefaults();
}

bool TCdm::fail(std::string message)
{
    m_buildError = std::move(message);
    return false;
}

bool TCdm::buildCopy(const std::string &source, const std::string &destination, int type, int audioRoute,
                     bool withHeaderFilter)
{
    ResetGraph();
    DvCopyPlan plan;
    plan.source = source;
    plan.destination = destination;
    plan.outputType = static_cast<DvAviType>(type);
    plan.audio = static_cast<DvAudioRoute>(audioRoute);
    if (withHeaderFilter)
        plan.videoStages.push_back(&m_dvHeader);
    auto copy = DvCopySource::open(plan);
    if (!copy)
        return fail(copy.error().message);
    m_frameDuration = copy.value()->FrameDuration();
    m_fg.SetSource(std::move(copy.value()));
    return true;
}

bool TCdm::BuildConvertirDV2(const std::string &source, const std::string &destination)
{
    return buildCopy(source, destination, static_cast<int>(DvAviType::Type2),
                     static_cast<int>(DvAudioRoute::SplitFromFrames), false);
}

bool TCdm::BuildConvertirDV1(const std::string &source, const std::string &destination)
{
    return buildCopy(source, destination, static_cast<int>(DvAviType::Type1),
                     static_cast<int>(DvAudioRoute::JoinIntoFrames), false);
}

bool TCdm::BuildCorrigerType2(const std::string &source, const std::string &destination)
{
    return buildCopy(source, destination, static_cast<int>(DvAviType::Type2),
                     static_cast<int>(DvAudioRoute::PassStreams), false);
}

bool TCdm::BuildDVheaderGraph(const std::string &source, const std::string &destination)
{
    const auto file = DvSourceFile::open(source);
    if (!file) {
        ResetGraph();
        return fail(file.error().message);
    }
    const bool type1 = file.value()->interleaved && file.value()->audio.empty();
    return buildCopy(source, destination, static_cast<int>(type1 ? DvAviType::Type1 : DvAviType::Type2),
                     static_cast<int>(type1 ? DvAudioRoute::None : DvAudioRoute::PassStreams), true);
}

bool TCdm::BuildRecompresserDV2(const std::string &source, const std::string &destination, DvSystem system, bool wide,
                                int audioRate)
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
        return fail(reencode.error().message);
    m_frameDuration = reencode.value()->FrameDuration();
    m_fg.SetSource(std::move(reencode.value()));
    return true;
}

bool TCdm::BuildNtscPal1(const std::string &source, const std::string &destination, bool ntsc, bool deinterlace)
{
    return buildReencodedDv(source, destination, ntsc ? DvSystem::Ntsc : DvSystem::Pal,
                            deinterlace ? m_deinter.get() : nullptr, DvAviType::Type1);
}

bool TCdm::BuildNtscPal2(const std::string &source, const std::string &destination, bool ntsc, bool deinterlace)
{
    return buildReencodedDv(source, destination, ntsc ? DvSystem::Ntsc : DvSystem::Pal,
                            deinterlace ? m_deinter.get() : nullptr, DvAviType::Type2);
}

bool TCdm::BuildIncruster1(const std::string &source, const std::string &destination, int system)
{
    return buildReencodedDv(source, destination, system == 0 ? DvSystem::Pal : DvSystem::Ntsc, &m_superposer,
                            DvAviType::Type1);
}

bool TCdm::BuildIncruster2(const std::string &source, const std::string &destination, int system)
{
    return buildReencodedDv(source, destination, system == 0 ? DvSystem::Pal : DvSystem::Ntsc, &m_superposer,
                            DvAviType::Type2);
}

// Without a picture filter, an interlaced picture is scaled field by field.
bool TCdm::buildReencodedDv(const std::string &source, const std::string &destination, DvSystem system,
                            PictureFilter *filter, DvAviType type)
{
    ResetGraph();
    const auto file = DvSourceFile::open(source);
    if (!file)
        return fail(file.error().message);
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
        return fail(reencode.error().message);
    m_reencode = reencode.value().get();
    // The sound keeps its rate where DV frames can carry it.
    m_reencode->SetAudioRate(m_reencode->SourceAudioRate());
    m_frameDuration = reencode.value()->FrameDuration();
    m_fg.SetSource(std::move(reencode.value()));
    return true;
}

bool TCdm::BuildCutScenes1(const std::string &source, const std::string &destination)
{
    return buildCopy(source, destination, static_cast<int>(DvAviType::Type1), static_cast<int>(DvAudioRoute::None),
                     false);
}

bool TCdm::BuildCutScenes2(const std::string &source, const std::string &destination)
{
    return buildCopy(source, destination, static_cast<int>(DvAviType::Type2),
                     static_cast<int>(DvAudioRoute::PassStreams), false);
}

bool TCdm::BuildScnByDate(const std::string &source)
{
    ResetGraph();
    auto scan = DatecodeScanSource::open(source, m_sceneDetect, nullptr);
    if (!scan)
        return fail(scan.error().message);
    m_frameDuration = scan.value()->FrameDuration();
    m_fg.SetSource(std::move(scan.value()));
    return true;
}

bool TCdm::BuildCreerSrt(const std::string &source)
{
    ResetGraph();
    auto scan = DatecodeScanSource::open(source, m_sceneDetect, &m_captionStep);
    if (!scan)
        return fail(scan.error().message);
    m_sceneDetect.setCaptionStep(&m_captionStep);
    m_frameDuration = scan.value()->FrameDuration();
    m_fg.SetSource(std::move(scan.value()));
    return true;
}

bool TCdm::BuildScnByContenu(const std::string &source)
{
    ResetGraph();
    auto scan = ContentScanSource::open(source, m_mediaStamper, m_sceneDetectContenu);
    if (!scan)
        return fail(scan.error().message);
    m_frameDuration = scan.value()->FrameDuration();
    m_fg.SetSource(std::move(scan.value()));
    return true;
}

bool TCdm::BuildExtraireAudio(const std::string &source, const std::string &destination)
{
    ResetGraph();
    auto extract = AudioExtractSource::open(source, destination);
    if (extract) {
        m_audioExtract = extract.value().get();
        m_fg.SetSource(std::move(extract.value()));
        return true;
    }
    // A file without sound has nothing to do, which is no failure.
    if (extract.error().code == SourceErrorCode::NoAudio)
        return fail(std::string());
    if (extract.error().code != SourceErrorCode::NotDv && extract.error().code != SourceErrorCode::UnsupportedAudio)
        return fail(extract.error().message);
    // Any other file FFmpeg reads, and DV files whose sound is not PCM.
    auto decoded = AvAudioExtractSource::open(source, destination);
    if (!decoded)
        return fail(decoded.error().code == ReencodeErrorCode::NoStream ? std::string() : decoded.error().message);
    m_avAudioExtract = decoded.value().get();
    m_fg.SetSource(std::move(decoded.value()));
    return true;
}

bool TCdm::BuildShareCopy(const ShareCopyPlan &plan)
{
    ResetGraph();
    auto copy = ShareCopySource::open(plan);
    if (!copy)
        return fail(copy.error().message);
    m_shareCopy = copy.value().get();
    m_frameDuration = copy.value()->FrameDuration();
    m_fg.SetSource(std::move(copy.value()));
    return true;
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
