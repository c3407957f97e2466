// "Change the codec" and "Fix the video framerate": in-place patches of the AVI header.
#include "commands/codec_commands.h"

#include "commands/command_failure.h"
#include "commands/decimal_text.h"
#include "core/avi_fichier.h"
#include "core/avi_patch.h"

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <limits>

namespace camlog::commands {

namespace fs = std::filesystem;

namespace {
std::string firstParameter(const engine::TParams &params)
{
    return params.empty() ? std::string() : params.front();
}

// Gives the owner write permission for the patch and puts the old permissions back after it,
// so a read-only file is patched and stays read-only.
template <typename Write> auto writeLiftingReadOnly(const std::string &path, Write write)
{
    std::error_code ec;
    const fs::perms before = fs::status(fs::path(path), ec).permissions();
    const bool lift = !ec && (before & fs::perms::owner_write) == fs::perms::none;
    if (lift)
        fs::permissions(fs::path(path), fs::perms::owner_write, fs::perm_options::add, ec);
    auto written = write();
    if (lift)
        fs::permissions(fs::path(path), before, fs::perm_options::replace, ec);
    return written;
}

void prepare(const core::TaviFichier &fichier, const std::function<void(const std::string &)> &closePreview)
{
    if (closePreview)
        closePreview(fichier.FullPath);
}
} // namespace

std::optional<std::string> CodecParameter(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    std::string code(text.substr(0, 4));
    code.resize(4, ' ');
    return code;
}

std::optional<double> FrameRateParameter(std::string_view text)
{
    const std::optional<double> rate = ParseDecimal(text);
    if (!rate || !(*rate > 0.0))
        return std::nullopt;
    const double scale = std::nearbyint(1'000'000.0 / *rate);
    if (!(scale >= 1.0) || scale > static_cast<double>(std::numeric_limits<std::uint32_t>::max()))
        return std::nullopt;
    return rate;
}

std::string CodecParameterProblem(const engine::TParams &params)
{
    if (!CodecParameter(firstParameter(params)))
        return "No codec given (four characters, for instance dvsd)";
    return {};
}

std::string FrameRateParameterProblem(const engine::TParams &params)
{
    const std::string text = firstParameter(params);
    if (text.find_first_not_of(" \t") == std::string::npos)
        return "No framerate given (frames per second, for instance 25 or 29.97)";
    if (!FrameRateParameter(text))
        return "The framerate \"" + text + "\" is not a number of frames per second that an AVI header can hold";
    return {};
}

std::string ModifierCodecFileConFirmation(const core::TaviFichier &fichier, const engine::TParams &params)
{
    return "Do you want to change the codec \"" + fichier.Codec + "\" from " + fichier.FileName + " to \""
           + CodecParameter(firstParameter(params)).value_or("") + "\" ?";
}

std::string FrequenceVideoFileConFirmation(const core::TaviFichier &fichier, const engine::TParams &params)
{
    return "Do you want to change the frequency " + GeneralDecimal(fichier.FrameRate) + " from  " + fichier.FileName
           + " to " + firstParameter(params) + " ?";
}

bool FrequenceVideoFileCondition(const core::TaviFichier &fichier)
{
    return !(fichier.IsDV && fichier.FileType == 1);
}

void ModifierCodecExecution(const core::TaviFichier &fichier, const engine::TParams &params, engine::TCommandEngine &ce,
                            const std::function<void(const std::string &)> &closePreview)
{
    const std::optional<std::string> code = CodecParameter(firstParameter(params));
    if (!code)
        FailFile(ce, "No codec given for " + fichier.FullPath);
    prepare(fichier, closePreview);
    const core::FourCC fourCC = core::FourCC::fromString(*code);
    const auto written =
        writeLiftingReadOnly(fichier.FullPath, [&] { return core::WriteHandlerCode(fichier.FullPath, fourCC); });
    if (!written)
        FailFile(ce, "Cannot change the codec of " + fichier.FullPath + ": " + written.error().message);
}

void FrequenceVideoExecution(const core::TaviFichier &fichier, const engine::TParams &params,
                             engine::TCommandEngine &ce, const std::function<void(const std::string &)> &closePreview)
{
    const std::optional<double> rate = FrameRateParameter(firstParameter(params));
    if (!rate)
        FailFile(ce, "No valid framerate given for " + fichier.FullPath + ": \"" + firstParameter(params) + "\"");
    prepare(fichier, closePreview);
    const auto written =
        writeLiftingReadOnly(fichier.FullPath, [&] { return core::WriteFrameRate(fichier.FullPath, *rate); });
    if (!written)
        FailFile(ce, "Cannot change the framerate of " + fichier.FullPath + ": " + written.error().message);
}

} // namespace camlog::commands
