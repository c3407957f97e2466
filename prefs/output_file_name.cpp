// Naming the files that commands create.
#include "prefs/output_file_name.h"

#include "prefs/current_settings.h"

namespace camlog::prefs {

std::string OutputFileName(std::string_view sourceFile, std::string_view newEnding, const Settings &settings)
{
    const auto slash = sourceFile.rfind('/');
    const std::size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    const auto dot = sourceFile.rfind('.');
    const std::string_view stem =
        dot == std::string_view::npos || dot < nameStart ? sourceFile : sourceFile.substr(0, dot);

    const std::string &folder = settings.dossierPourSauver;
    if (settings.saveInSameFolder || folder.empty()) {
        return std::string(stem).append(newEnding);
    }
    std::string result = folder;
    if (result.back() != '/') {
        result.push_back('/');
    }
    return result.append(stem.substr(nameStart)).append(newEnding);
}

std::string OutputFileName(std::string_view sourceFile, std::string_view newEnding)
{
    return OutputFileName(sourceFile, newEnding, currentSettings());
}

} // namespace camlog::prefs
