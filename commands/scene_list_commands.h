// The commands that write a scene list without a media graph: scenes at fixed intervals into
// the scn file, and the export of a scn file as text.
#pragma once

#include "engine/command_engine.h"
#include "prefs/settings.h"
#include "scenes/write_scn_text.h"

#include <string>

namespace camlog::core {
class TaviFichier;
}

namespace camlog::commands {

// Cuts the video into scenes of the parameter's seconds ("/ci=30") and writes them into its
// scn file. Nothing is written when the interval is 0 frames. An abort writes nothing either
// (the old scn file stays); raises when the scn file cannot be written (the old one then stays).
void CreerScnByIntervalleExecution(const core::TaviFichier &fichier, const engine::TParams &params,
                                   engine::TCommandEngine &ce);
// Why the parameters give no duration of scenes (a whole number of seconds from 1); empty when
// they do.
std::string IntervalParameterProblem(const engine::TParams &params);

// Writes the scenes of the video's scn file (whatever of it could be read) as text to
// destination. Raises when the text file cannot be written. An abort writes nothing: the file
// that was at destination stays as it was.
void ExporterScenesTexteExecution(const core::TaviFichier &fichier, const std::string &destination,
                                  const prefs::Settings &settings, const scenes::ScnTextExportInfo &info,
                                  engine::TCommandEngine &ce);

} // namespace camlog::commands
