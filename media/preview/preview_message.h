// Why the preview shows no picture, and the explanation text the video panel shows instead.
#pragma once

#include <string>

namespace camlog::media {

// The codes of the explanation texts; None while the picture shows.
enum class PreviewMessage {
    None = 0,
    NotFound = 1,          // the file cannot be loaded
    DvCodecRefused = 2,    // the DV decoder refuses the file's frames
    AudioOnly = 3,         // no video stream; the sound plays
    NotAvi = 4,            // not an AVI file, or neither video nor audio in it
    NotDv = 5,             // said to be DV, but no stream of it carries DV frames
    NoVideoDecoder = 6,    // a video stream nothing decodes; the sound plays
    UnknownAudio = 7,      // the same, with sound that nothing decodes either
    NoAudio = 8,           // the same, without sound
    StoppedForCommand = 9, // emptied while a command works on the file
};

// The panel's text for a code, in the link mark-up: the common head then the code's own text
// naming the file (its name) and, for 2 and 6 to 8, its codec. Empty for None.
std::string PreviewMessageText(PreviewMessage code, const std::string &fileName, const std::string &codec);

} // namespace camlog::media
