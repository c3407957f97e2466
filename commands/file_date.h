// "Modify the date of file": the question that shows the old and new dates, and the change of
// the file's modification time to the recording moment.
#pragma once

#include "core/date_time.h"
#include "engine/command_engine.h"

#include <functional>
#include <optional>
#include <string>
#include <system_error>

namespace camlog::core {
class TaviFichier;
}

namespace camlog::commands {

// The file's datecode plus its time difference.
core::DateTime RecordingMoment(const core::TaviFichier &fichier);

std::string DateFichierFileConFirmation(const core::TaviFichier &fichier);

// Sets the modification time of the file at path to the local date-time moment, to the
// millisecond; the access time stays. Fails for a moment outside the calendar.
std::error_code SetModificationTime(const std::string &path, core::DateTime moment);

// Closes the preview of the file first, so no media graph holds it open. A failure is reported
// with its reason and raised (the file counts as failed).
void DateFichierExecution(const core::TaviFichier &fichier, engine::TCommandEngine &ce,
                          const std::function<void(const std::string &)> &closePreview);

} // namespace camlog::commands
