// The usage text of camlog.
#include "app/usage.h"

#include "headless/actions/action_help.h"

namespace camlog::app {

namespace {

constexpr const char *kSynopsis = "Usage: camlog [ARG...]\n"
                                  "       camlog --batch [--yes|--no] ARG...\n"
                                  "       camlog --list [--scenes|--no-scenes] PATH...\n"
                                  "       camlog --help | --version\n";

constexpr const char *kModes =
    "\n"
    "Window: camlog opens the main window, which runs its ARGs once it shows, as the batch mode\n"
    "runs them; without ARGs it opens the previous session's list when the setting \"Save list\n"
    "when quit\" is on.\n"
    "\n"
    "Listing mode: lists videos (DV AVI type 1 and type 2, OpenDML, raw .dv/.dif, other AVI\n"
    "files) with the recording date and time (datecode) and the timecode of their first frame,\n"
    "their codec, picture, duration and audio, and the scenes of DV videos, which begin at\n"
    "every new recording. PATH is a video file or a folder (its videos are listed, not those\n"
    "of its subfolders). Datecodes are shown in the display format of Camlog's settings.\n"
    "  --scenes     also list the scenes of every video (the default)\n"
    "  --no-scenes  list the videos only (reads the headers and the first frame of each)\n"
    "\n"
    "Batch mode: runs the action calls in order on one list of videos, each to the end of its\n"
    "work, without a window, then ends. An ARG is +WORD, -WORD or /WORD[=PARAMETER], WORD\n"
    "being an action's token or switch (below); an ARG without prefix opens a playlist, or a\n"
    "video when it ends in .avi, .dv or .dif. Examples:\n"
    "  camlog --batch /o=clip.avi /d          add the datecode to the name of clip.avi\n"
    "  camlog --batch /openfolder=tapes /selectall /createscnbydate\n"
    "  camlog --batch /openscript=jobs.txt    a script: one call per line, same syntax\n"
    "Questions are asked on the terminal; --yes answers them all Yes, --no answers them all\n"
    "No; without either and without a terminal the answer is No. Messages and errors go to\n"
    "standard error, reports (riffheader) to standard output. Settings are those of the\n"
    "window ($XDG_CONFIG_HOME/Ovrand/Camlog.ini); the batch mode does not save them.\n"
    "\n"
    "Exit status: 0 when everything went well, 1 when a file failed or an argument named no\n"
    "action, 2 on bad usage.\n"
    "\n";

} // namespace

std::string ShortUsageText()
{
    return std::string(kSynopsis) + "Try 'camlog --help' for more information.\n";
}

std::string UsageText()
{
    return std::string(kSynopsis) + kModes + ui::ActionHelpText();
}

} // namespace camlog::app
