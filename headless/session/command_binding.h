// How the session reaches the command module: the command each "cc" action starts, and the run
// events the module follows.
#pragma once

#include "engine/command.h"

#include <functional>
#include <string_view>

namespace camlog::session {

struct CommandBinding {
    // The command an action starts ("ccRenommer" starts "Renommer"); null when there is none.
    std::function<engine::tCustomCmd *(std::string_view actionName)> commandFor;
    // Whether the command takes the action's parameters (a codec, a frame rate, a duration...).
    std::function<bool(const engine::tCustomCmd &command)> passesParameters;
    // The run's file events, so that the time difference a run carries follows reloaded files.
    std::function<void(core::TaviFichier *fichier)> startFichier;
    std::function<void(core::TaviFichier *fichier)> endFichier;
};

} // namespace camlog::session
