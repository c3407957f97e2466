// Binds the graph commands of the command module to the processing module's builds.
#pragma once

#include "media/pipeline/caption_step.h"
#include "prefs/settings.h"

namespace camlog::core {
class TaviFichier;
}

namespace camlog::commands {

class TdmAction;
class ProcessingGraph;

// Sets Filtergraph and OnBuildGraph on every graph command of dm, and does around each build
// what its handler does: the DV header filter's settings, the audio converter's rate, the scn
// and srt writers on the detector's callbacks, the passes of "Split in scenes", the inlay's
// settings. Both objects must outlive every run of the commands.
void BindGraphCommands(TdmAction &dm, ProcessingGraph &graph);

// The caption lines of the subtitles: the inlay's record for the file being processed, which
// counts as the active file (its time difference, its name and properties in personal templates).
media::CaptionSettings CaptionSettingsFor(const prefs::Settings &settings, const core::TaviFichier &fichier);

} // namespace camlog::commands
