// The processing module: the one processing pipeline, the program's own stages, and the recipes
// that build the pipeline for each graph command.
#include "media/processing_module.h"

#include "media/audio_extract_source.h"
#include "media/datecode_scan_source.h"
#include "media/dv_copy_source.h"
#include "media/dv_source_file.h"

namespace camlog::media {

TCdm::TCdm() = default;

TCdm::~TCdm()
{
    m_fg.Reset();
}

void TCdm::ResetGraph()
{
    m_fg.Reset();
    m_audioExtract = nullptr;
    m_buildError.clear();
    m_frameDuration = 0;
    m_sceneDetect.OnScene = nullptr;
    m_sceneDetect.OnFinished = nullptr;
    m_sceneDetect.OnCaption = nullptr;
    m_sceneDetect.setCaptionStep(nullptr);
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
    std::string error;
    auto copy = DvCopySource::open(plan, error);
    if (!copy)
        return fail(error);
    m_frameDuration = copy->FrameDuration();
    m_fg.SetSource(std::move(copy));
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
    std::string error;
    const auto file = DvSourceFile::open(source, error);
    if (!file) {
        ResetGraph();
        return fail(error);
    }
    const bool type1 = file->interleaved && file->audio.empty();
    return buildCopy(source, destination, static_cast<int>(type1 ? DvAviType::Type1 : DvAviType::Type2),
                     static_cast<int>(type1 ? DvAudioRoute::None : DvAudioRoute::PassStreams), true);
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
    std::string error;
    auto scan = DatecodeScanSource::open(source, m_sceneDetect, nullptr, error);
    if (!scan)
        return fail(error);
    m_frameDuration = scan->FrameDuration();
    m_fg.SetSource(std::move(scan));
    return true;
}

bool TCdm::BuildCreerSrt(const std::string &source)
{
    ResetGraph();
    std::string error;
    auto scan = DatecodeScanSource::open(source, m_sceneDetect, &m_captionStep, error);
    if (!scan)
        return fail(error);
    m_sceneDetect.setCaptionStep(&m_captionStep);
    m_frameDuration = scan->FrameDuration();
    m_fg.SetSource(std::move(scan));
    return true;
}

bool TCdm::BuildExtraireAudio(const std::string &source, const std::string &destination)
{
    ResetGraph();
    std::string error;
    auto extract = AudioExtractSource::open(source, destination, error);
    if (!extract)
        return fail(error);
    m_audioExtract = extract.get();
    m_fg.SetSource(std::move(extract));
    return true;
}

bool TCdm::SetAcmSampleRate(int rate)
{
    if (m_audioExtract == nullptr || rate <= 0)
        return false;
    m_audioExtract->SetOutputRate(rate);
    return true;
}

} // namespace camlog::media
