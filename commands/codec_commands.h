// "Change the codec" and "Fix the video framerate": in-place patches of the AVI header with the
// code or rate given as the run's parameter ("/k=dvsd", "/y=29.97").
#pragma once

#include "engine/command_engine.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace camlog::core {
class TaviFichier;
}

namespace camlog::commands {

// The code as written: blanks added on the right, cut to four characters; no value for an
// empty parameter.
std::optional<std::string> CodecParameter(std::string_view text);
// The rate as a decimal number ("." or "," as separator); no value unless an AVI header can
// hold it (1000000 / rate rounds to a scale from 1 to 2^32-1).
std::optional<double> FrameRateParameter(std::string_view text);

// Why the run's parameters give no codec or no framerate; empty when they do.
std::string CodecParameterProblem(const engine::TParams &params);
std::string FrameRateParameterProblem(const engine::TParams &params);

std::string ModifierCodecFileConFirmation(const core::TaviFichier &fichier, const engine::TParams &params);
std::string FrequenceVideoFileConFirmation(const core::TaviFichier &fichier, const engine::TParams &params);
// Every file but DV type 1, whose rate lives in the DV frames themselves.
bool FrequenceVideoFileCondition(const core::TaviFichier &fichier);

// Both close the preview of the file first and lift a read-only file's protection for the
// write only. A missing parameter or a failed write is reported and raised.
void ModifierCodecExecution(const core::TaviFichier &fichier, const engine::TParams &params, engine::TCommandEngine &ce,
                            const std::function<void(const std::string &)> &closePreview);
void FrequenceVideoExecution(const core::TaviFichier &fichier, const engine::TParams &params,
                             engine::TCommandEngine &ce, const std::function<void(const std::string &)> &closePreview);

} // namespace camlog::commands
