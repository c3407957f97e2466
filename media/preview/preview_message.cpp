// The explanation texts of the video panel.
#include "media/preview/preview_message.h"

namespace camlog::media {

namespace {

std::string FileLine(const std::string &fileName)
{
    return "The file<br><br><b><color blue>" + fileName + "</color></b>";
}

std::string NoFilter(const std::string &codec)
{
    return "There is no directshow filter on your system that can decompress the<br><B><COLOR BLUE>codec " + codec;
}

} // namespace

std::string PreviewMessageText(PreviewMessage code, const std::string &fileName, const std::string &codec)
{
    const std::string head = "<br><br><br><b><i><SIZE 14>Video not available</size></i></b><br><br>";
    switch (code) {
    case PreviewMessage::None:
        return {};
    case PreviewMessage::NotFound:
        return head + FileLine(fileName) + "<br>is not found.";
    case PreviewMessage::DvCodecRefused:
        return head + FileLine(fileName) + "<br><br>seems to have a non standard DV codec.<br>"
               + "To show the video, try to change the codec \"" + codec + "\" to \"dvsd\".";
    case PreviewMessage::AudioOnly:
        return head + FileLine(fileName) + "<br><br>has only audio streams";
    case PreviewMessage::NotAvi:
        return head + FileLine(fileName) + "<br><br>seems not to be a correct AVI file.";
    case PreviewMessage::NotDv:
        return head + FileLine(fileName) + "<br><br>seems not to be a correct DV file.";
    case PreviewMessage::NoVideoDecoder:
        return head + NoFilter(codec) + "</COLOR></B><br><br><i>You can play the Audio</i>";
    case PreviewMessage::UnknownAudio:
        return head + NoFilter(codec) + "</COLOR></B><br><br><i>Unknown audio</i>";
    case PreviewMessage::NoAudio:
        return head + NoFilter(codec) + "</COLOR></B><br><br><i>No Audio</i>";
    case PreviewMessage::StoppedForCommand:
        return head + "Temporary break of the video<br>to execute a command<br><br><b><color blue>" + fileName
               + "</color></b>";
    }
    return {};
}

} // namespace camlog::media
