// "Modify the date of file": the question with the old and new dates, and the change of the
// modification time to the recording moment.
#include "commands/file_date.h"

#include "commands/command_failure.h"
#include "commands/question_length.h"
#include "core/avi_fichier.h"
#include "core/format.h"
#include "core/local_moment.h"

#include <cerrno>
#include <ctime>

#include <fcntl.h>
#include <sys/stat.h>

namespace camlog::commands {

namespace {
std::string dateText(core::DateTime value)
{
    return core::FormatDateTimePattern("ddddd tt", value).value_or("");
}
} // namespace

core::DateTime RecordingMoment(const core::TaviFichier &fichier)
{
    return fichier.Datecode + fichier.Shift;
}

std::string DateFichierFileConFirmation(const core::TaviFichier &fichier)
{
    const std::string dates = "\n\nOld creation date: " + dateText(fichier.Created) + "\nOld modified date:  "
                              + dateText(fichier.Modified) + "\nNew date : " + dateText(RecordingMoment(fichier));
    std::string question = "Do you really want to modify the dates of the file '" + fichier.FileName + "'" + dates;
    if (TooLongForQuestion(question))
        question = "Do you really want to change the dates of this file?" + dates;
    return question;
}

std::error_code SetModificationTime(const std::string &path, core::DateTime moment)
{
    const auto fields = moment.fields();
    if (!fields)
        return std::make_error_code(std::errc::invalid_argument);
    const auto local = core::LocalMomentOf(moment);
    if (!local)
        return std::make_error_code(std::errc::value_too_large);
    timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<std::time_t>(local->utcSeconds);
    times[1].tv_nsec = static_cast<long>(fields->millisecond) * 1'000'000L;
    if (::utimensat(AT_FDCWD, path.c_str(), times, 0) != 0)
        return {errno, std::generic_category()};
    return {};
}

void DateFichierExecution(const core::TaviFichier &fichier, engine::TCommandEngine &ce,
                          const std::function<void(const std::string &)> &closePreview)
{
    if (closePreview)
        closePreview(fichier.FullPath);
    if (const std::error_code ec = SetModificationTime(fichier.FullPath, RecordingMoment(fichier)))
        FailFile(ce, "Cannot modify the date of " + fichier.FullPath + ": " + ec.message());
}

} // namespace camlog::commands
