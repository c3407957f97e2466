// The scene editor's model: the scene list of the active video, the current scene, cutting and
// merging scenes, a scene's picture, titles from templates, the modified flag, the save question
// and the save. No window: the editor's panels show it and call it.
#pragma once

#include "scenes/scene_class.h"
#include "scenes/scn_file.h"
#include "scenes/title_codes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace camlog::scenes {

// The answers to "Do you want to save the scenes ...?": save, drop the changes, or go back to
// the editor (the closing that asked does not happen).
enum class SaveAnswer { Save, Drop, Cancel };

// What an answer led to.
struct SaveOutcome {
    bool mayGoOn = true; // the editor may close (or the window, or the list change to another file)
    bool saveFailed = false;
    std::string message; // what failed, when saveFailed
};

class SceneEditor {
public:
    // The list of a video: its scn file, or the unique scene [0, frameCount) without one. A scn
    // file read only in part gives the scenes read; its error marker is no scene and stays out.
    // Clears modified; no scene is current.
    void Load(const TitleVideo &video, std::int32_t frameCount, const SceneContext &context);

    const TitleVideo &video() const { return m_video; }
    const SceneContext &context() const { return m_context; }
    // The display format or the duration format changed: the texts follow at the next fill.
    void setContext(const SceneContext &context) { m_context = context; }
    std::int32_t frameCount() const { return m_frameCount; }
    int count() const { return static_cast<int>(m_scenes.size()); }
    const TSceneClass &scene(int index) const { return m_scenes.at(static_cast<std::size_t>(index)); }
    const std::vector<TSceneClass> &scenes() const { return m_scenes; }
    std::string label(int index) const { return SceneLabel(scene(index)); }
    // The scn file could not be read to its end (the scenes read are in the list).
    bool readError() const { return m_readError; }

    int current() const { return m_current; }
    // Makes scene `index` current (filled from source first when it is not); -1 selects none.
    // An index below -1 or not below the count changes nothing and returns false.
    bool SelectScene(int index, FrameSource *source);
    // The frames the preview plays: [start, end - 1] of the current scene, or [0, frameCount - 1]
    // without one.
    std::int64_t playFirst() const;
    std::int64_t playLast() const;

    // Cuts the scene that holds `frame` in two there: the first part keeps its title, the new
    // second part gets the same title followed by " <<" and the same subtitle; numbers written in
    // titles follow the new numbering. Nothing happens (false) on a scene's first frame or
    // outside the scenes. The new scene becomes current.
    bool InsertScene(std::int64_t frame, FrameSource *source);
    // Merges the current scene into the one before it; the first scene (or none current) has
    // nothing before it: false, nothing changes. The scene before becomes current.
    bool DeleteScene(FrameSource *source);

    // The picture at `frame` (of the current scene) becomes its picture: the offset from its
    // start and the thumbnail scaled from `picture`. False without a current scene or for a
    // frame outside it.
    bool SetPicture(std::int64_t frame, const BgrPicture &picture);
    // The frame of the current scene's picture (its start without a current scene: 0).
    std::int64_t pictureFrame() const;

    // Title and subtitle from the two templates, for the current scene (all = false) or for
    // every scene (each filled first when it is not). False when there is nothing to title.
    bool ApplyTitles(const std::string &titleTemplate, const std::string &subtitleTemplate, bool all,
                     FrameSource *source);
    // The current scene's title and subtitle as templates (the title editor starts from them).
    std::string currentTitleTemplate() const;
    std::string currentSubtitleTemplate() const;
    // The two templates expanded for the current scene, as the title editor's sample shows them.
    std::string sample(const std::string &titleTemplate, const std::string &subtitleTemplate) const;

    std::string ExpandTemplate(std::string_view text, const TSceneClass &scene) const;
    std::string CompressTitle(std::string_view text, const TSceneClass &scene) const;

    bool modified() const { return m_modified; }
    // Writes the list into the video's scn file (a temporary first, then it replaces the old
    // one); modified is cleared when the file is in place.
    ScnWriteResult Save();
    // The question asked before changes would be lost.
    std::string SaveQuestion() const;
    // Acts on the answer: Save writes (a failed write keeps the editor and its changes), Drop
    // reads the list back from the scn file, Cancel keeps everything.
    SaveOutcome Answer(SaveAnswer answer);

private:
    void compressAll();
    void expandAll();
    void renumber();
    void fill(TSceneClass &scene, FrameSource *source);

    TitleVideo m_video;
    SceneContext m_context;
    std::int32_t m_frameCount = 0;
    std::vector<TSceneClass> m_scenes;
    int m_current = -1;
    bool m_modified = false;
    bool m_readError = false;
};

} // namespace camlog::scenes
