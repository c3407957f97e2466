// Names of the files Camlog keeps beside a video (scn, srt): the video's path with another extension.
#pragma once

#include <string>
#include <string_view>

namespace camlog::scenes {

// The extension runs from the last "." after the last "/"; a name without one gets the new
// extension appended.
inline std::string ChangeFileExtension(const std::string &path, std::string_view extension)
{
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    std::string result =
        dot == std::string::npos || (slash != std::string::npos && dot < slash) ? path : path.substr(0, dot);
    result += extension;
    return result;
}

inline std::string ScnFileName(const std::string &videoPath)
{
    return ChangeFileExtension(videoPath, ".scn");
}

inline std::string SrtFileName(const std::string &videoPath)
{
    return ChangeFileExtension(videoPath, ".srt");
}

} // namespace camlog::scenes
