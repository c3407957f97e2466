// The scn file beside a video: its name, the scene list writer and reader, and the lists shown without one.
#pragma once

#include "core/replacing_file.h"
#include "scenes/companion_file.h"
#include "scenes/scene_class.h"

#include <cstdint>
#include <filesystem>
#include <string>

namespace camlog::scenes {

// A Unicode string of the scn layout holds at most this many UTF-16 units; longer paths and
// captions are cut there (never inside a surrogate pair).
inline constexpr std::size_t kScnStringMaxUnits = 254;
// The record count is a 16-bit field.
inline constexpr int kScnMaxScenes = 65535;

// Writes a scene list into the scn file of a video, one record per WriteScene. The file is
// built under a temporary name and replaces the existing scn file at close(): a failed write
// leaves the previous file as it was. After every record the count field announces exactly
// the records finished.
class TwriteScene {
public:
    // videoPath: the video's full path, stored in the file.
    explicit TwriteScene(const std::string &videoPath);
    // Closes (see close()) when not done yet.
    ~TwriteScene();
    TwriteScene(const TwriteScene &) = delete;
    TwriteScene &operator=(const TwriteScene &) = delete;

    // Appends the scene's record (the first one as starting at frame 0). False, with nothing
    // written, once the writer has failed or when the list would pass kScnMaxScenes.
    bool WriteScene(const TSceneClass &scene);

    // Puts the file in place; false when anything failed (the old file is then kept).
    bool close();
    // Drops the records written so far: the old file stays as it was (an aborted run).
    void discard() { m_file.abandon(); }

    bool ok() const { return m_error.empty() && m_file.ok(); }
    const std::string &errorMessage() const { return m_error.empty() ? m_file.errorMessage() : m_error; }
    int recordCount() const { return m_count; }
    const std::filesystem::path &scnPath() const { return m_file.destination(); }

private:
    std::u16string m_videoPath; // as stored: cut to kScnStringMaxUnits
    core::ReplacingFile m_file;
    int m_count = 0;
    std::uint64_t m_countPosition = 0;
    std::string m_error; // a refusal of the writer's own; file errors stay in m_file
};

enum class ScnReadError {
    None,
    CannotOpen, // missing, no permission, or not a regular file (a folder, a pipe)
    Truncated,  // the file ends before every announced record was read
    OutOfRange, // a scene whose end does not fit in a frame number
};

struct ScnReadResult {
    ScnReadError error = ScnReadError::None;
    std::string message;
    bool ok() const { return error == ScnReadError::None; }
};

// Clears the list and adds one labelled item per scene read, numbered 1, 2, ... Scenes read
// before a failure stay in the list. The context gives the scenes their duration texts.
ScnReadResult ReadScnFile(const std::filesystem::path &scnPath, SceneList &list, const SceneContext &context);

// One scene [0, frameCount) standing for a video that has no scn file, listed as
// "1: Unique Scene".
SceneList UniqueSceneList(std::int32_t frameCount, const SceneContext &context);

// The list of a video: its scn file when there is one, followed by the error marker
// "1: Error in the scn file" when that could not be read completely; otherwise the unique
// scene. The result says how the scn file was read (None when there was none).
ScnReadResult LoadSceneList(const std::string &videoPath, std::int32_t frameCount, const SceneContext &context,
                            SceneList &list);

struct ScnWriteResult {
    bool ok = true;
    std::string message; // what failed, when not ok
};

// Writes every scene of the list in order into the video's scn file; error markers are not
// scenes and are left out.
ScnWriteResult SaveSceneList(const std::string &videoPath, const SceneList &list);

} // namespace camlog::scenes
