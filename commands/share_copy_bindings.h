// The share-copy commands ("Export a share copy", "Export a share copy of each scene") joined to
// the processing module's MP4 recipe.
#pragma once

#include <string>

namespace camlog::commands {

class TdmAction;
class ProcessingGraph;

// Sets Filtergraph, OnBuildGraph and, for the scene copies, OnPrepareFichier. Both objects
// must outlive every run of the commands.
void BindShareCopyCommands(TdmAction &dm, ProcessingGraph &graph);

// Writes the scn file beside the video by datecode (what "Create a scn file by datecode"
// writes); the reason when it cannot, empty on success.
std::string CreateScnByDatecode(const std::string &videoPath, double frameRate);

} // namespace camlog::commands
