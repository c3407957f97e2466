// The scene editor's model.
#include "scenes/scene_editor.h"

#include <algorithm>

namespace camlog::scenes {

void SceneEditor::Load(const TitleVideo &video, std::int32_t frameCount, const SceneContext &context)
{
    m_video = video;
    m_context = context;
    m_frameCount = frameCount;
    m_scenes.clear();
    m_current = -1;
    m_modified = false;
    m_readError = false;
    if (!video.active)
        return;
    SceneList list;
    const ScnReadResult read = LoadSceneList(video.path, frameCount, context, list);
    m_readError = !read.ok();
    for (SceneItem &item : list)
        if (item.scene && !item.errorMarker)
            m_scenes.push_back(std::move(*item.scene));
    renumber();
}

bool SceneEditor::SelectScene(int index, FrameSource *source)
{
    if (index < -1 || index >= count())
        return false;
    m_current = index;
    if (index >= 0) {
        TSceneClass &scene = m_scenes[static_cast<std::size_t>(index)];
        scene.number = index + 1;
        if (!scene.filled)
            fill(scene, source);
    }
    return true;
}

std::int64_t SceneEditor::playFirst() const
{
    return m_current >= 0 ? scene(m_current).start : 0;
}

std::int64_t SceneEditor::playLast() const
{
    if (m_current >= 0)
        return std::int64_t{scene(m_current).end} - 1;
    return std::max<std::int64_t>(0, std::int64_t{m_frameCount} - 1);
}

void SceneEditor::fill(TSceneClass &scene, FrameSource *source)
{
    if (source != nullptr) {
        FillSceneDetails(scene, *source, m_context);
    } else {
        scene.startText = ScenePositionText(scene.start, m_context.frameRate);
        scene.endText = ScenePositionText(std::int64_t{scene.end} - 1, m_context.frameRate);
    }
}

void SceneEditor::renumber()
{
    for (std::size_t i = 0; i < m_scenes.size(); ++i)
        m_scenes[i].number = static_cast<std::int32_t>(i + 1);
}

void SceneEditor::compressAll()
{
    for (TSceneClass &scene : m_scenes) {
        scene.title = CompressTitle(scene.title, scene);
        scene.subtitle = CompressTitle(scene.subtitle, scene);
    }
}

void SceneEditor::expandAll()
{
    for (TSceneClass &scene : m_scenes) {
        scene.title = ExpandTemplate(scene.title, scene);
        scene.subtitle = ExpandTemplate(scene.subtitle, scene);
    }
}

bool SceneEditor::InsertScene(std::int64_t frame, FrameSource *source)
{
    int cut = -1;
    for (int i = 0; i < count(); ++i) {
        const TSceneClass &s = scene(i);
        if (frame == s.start)
            return false;
        if (s.start < frame && frame < s.end) {
            cut = i;
            break;
        }
    }
    if (cut < 0)
        return false;
    compressAll();
    const auto at = static_cast<std::int32_t>(frame);
    TSceneClass &first = m_scenes[static_cast<std::size_t>(cut)];
    TSceneClass second(at, first.end, m_context);
    second.title = first.title + " <<";
    second.subtitle = first.subtitle;
    // A picture chosen in the part that becomes the new scene goes with it.
    if (std::int64_t{first.start} + first.pictureOffset >= at) {
        second.pictureOffset = first.start + first.pictureOffset - at;
        first.pictureOffset = 0;
        first.filled = false;
    }
    first.end = at;
    first.durationText = SceneDurationText(first.frameCount(), m_context);
    first.endText = ScenePositionText(std::int64_t{first.end} - 1, m_context.frameRate);
    if (!first.filled)
        fill(first, source);
    fill(second, source);
    m_scenes.insert(m_scenes.begin() + cut + 1, std::move(second));
    renumber();
    expandAll();
    m_modified = true;
    SelectScene(cut + 1, source);
    return true;
}

bool SceneEditor::DeleteScene(FrameSource *source)
{
    const int k = m_current;
    if (k < 1 || k >= count())
        return false;
    compressAll();
    TSceneClass &before = m_scenes[static_cast<std::size_t>(k - 1)];
    before.end = scene(k).end;
    before.durationText = SceneDurationText(before.frameCount(), m_context);
    before.endText = ScenePositionText(std::int64_t{before.end} - 1, m_context.frameRate);
    m_scenes.erase(m_scenes.begin() + k);
    renumber();
    expandAll();
    m_modified = true;
    SelectScene(k - 1, source);
    return true;
}

bool SceneEditor::SetPicture(std::int64_t frame, const BgrPicture &picture)
{
    if (m_current < 0)
        return false;
    TSceneClass &s = m_scenes[static_cast<std::size_t>(m_current)];
    if (frame < s.start || frame >= s.end)
        return false;
    s.pictureOffset = static_cast<std::int32_t>(frame - s.start);
    ScaleThumbnail(picture, s.thumbnail);
    m_modified = true;
    return true;
}

std::int64_t SceneEditor::pictureFrame() const
{
    if (m_current < 0)
        return 0;
    const TSceneClass &s = scene(m_current);
    return std::int64_t{s.start} + s.pictureOffset;
}

bool SceneEditor::ApplyTitles(const std::string &titleTemplate, const std::string &subtitleTemplate, bool all,
                              FrameSource *source)
{
    if (all) {
        if (m_scenes.empty())
            return false;
        for (TSceneClass &s : m_scenes) {
            if (!s.filled)
                fill(s, source);
            s.title = ExpandTemplate(titleTemplate, s);
            s.subtitle = ExpandTemplate(subtitleTemplate, s);
        }
    } else {
        if (m_current < 0)
            return false;
        TSceneClass &s = m_scenes[static_cast<std::size_t>(m_current)];
        s.title = ExpandTemplate(titleTemplate, s);
        s.subtitle = ExpandTemplate(subtitleTemplate, s);
    }
    m_modified = true;
    return true;
}

std::string SceneEditor::currentTitleTemplate() const
{
    return m_current >= 0 ? CompressTitle(scene(m_current).title, scene(m_current)) : std::string();
}

std::string SceneEditor::currentSubtitleTemplate() const
{
    return m_current >= 0 ? CompressTitle(scene(m_current).subtitle, scene(m_current)) : std::string();
}

std::string SceneEditor::sample(const std::string &titleTemplate, const std::string &subtitleTemplate) const
{
    if (m_current < 0)
        return titleTemplate + "\r\n" + subtitleTemplate;
    const TSceneClass &s = scene(m_current);
    return ExpandTemplate(titleTemplate, s) + "\r\n" + ExpandTemplate(subtitleTemplate, s);
}

std::string SceneEditor::ExpandTemplate(std::string_view text, const TSceneClass &s) const
{
    return scenes::ExpandTemplate(text, s, m_video, m_context);
}

std::string SceneEditor::CompressTitle(std::string_view text, const TSceneClass &s) const
{
    return scenes::CompressTitle(text, s, m_video, m_context);
}

ScnWriteResult SceneEditor::Save()
{
    ScnWriteResult result;
    if (!m_video.active) {
        result.ok = false;
        result.message = "No video to save the scenes of";
        return result;
    }
    TwriteScene writer(m_video.path);
    for (const TSceneClass &s : m_scenes) {
        if (!writer.WriteScene(s))
            break;
    }
    if (!writer.close()) {
        result.ok = false;
        result.message = writer.errorMessage();
        return result;
    }
    m_modified = false;
    return result;
}

std::string SceneEditor::SaveQuestion() const
{
    return "Do you want to save the scenes in the scn file associated with " + m_video.path
           + "?\r\nIf no, then all changes will be lost.";
}

SaveOutcome SceneEditor::Answer(SaveAnswer answer)
{
    SaveOutcome outcome;
    switch (answer) {
    case SaveAnswer::Save: {
        const ScnWriteResult written = Save();
        if (!written.ok) {
            outcome.mayGoOn = false;
            outcome.saveFailed = true;
            outcome.message = written.message;
        }
        break;
    }
    case SaveAnswer::Drop: {
        const int current = m_current;
        Load(m_video, m_frameCount, m_context);
        if (current < count())
            m_current = current;
        break;
    }
    case SaveAnswer::Cancel:
        outcome.mayGoOn = false;
        break;
    }
    return outcome;
}

} // namespace camlog::scenes
