// The action table of `camlog --help`, built from the catalogue.
#include "headless/actions/action_help.h"

#include "headless/actions/action_catalogue.h"

namespace camlog::ui {

namespace {

std::string OrDash(std::string_view text)
{
    return text.empty() ? std::string("-") : std::string(text);
}

std::string Keys(const ActionDef &def)
{
    std::string keys(def.shortcut);
    for (std::string_view key : def.secondaryShortcuts())
        keys += (keys.empty() ? "" : ", ") + std::string(key);
    return OrDash(keys);
}

std::string Switch(const ActionDef &def)
{
    if (def.switchName.empty())
        return "-";
    const ActionDef *owner = FindAction(def.switchName);
    return owner == &def ? std::string(def.switchName) : "(" + std::string(def.switchName) + ")";
}

std::string Caption(const ActionDef &def)
{
    std::string caption = FormatWithProgramName(def.caption);
    if (def.isToggle())
        caption += " / " + FormatWithProgramName(def.trueCaption);
    return caption;
}

void AppendPadded(std::string &line, const std::string &text, std::size_t width)
{
    line += text;
    line.append(text.size() < width ? width - text.size() : 1, ' ');
}

} // namespace

std::string ActionHelpText()
{
    std::string text = "Actions. On the command line, +word switches a feature on, -word switches it off and\n"
                       "/word toggles it (plain actions just run); word=parameter passes a parameter, as in\n"
                       "/o=clip.avi. A word without prefix names a playlist to open (a .avi file is opened).\n"
                       "A script holds one call per line, with or without prefix; a two-state action without\n"
                       "prefix takes true, false or toggle as its parameter (showlist=false hides the list).\n"
                       "Lines starting with # or ; are comments.\n\n";

    constexpr std::size_t kTokenWidth = 21;
    constexpr std::size_t kSwitchWidth = 8;
    constexpr std::size_t kKeysWidth = 25;
    std::string header;
    AppendPadded(header, "Token", kTokenWidth);
    AppendPadded(header, "Switch", kSwitchWidth);
    AppendPadded(header, "Keys", kKeysWidth);
    text += header + "Action\n";
    for (const ActionDef &def : ActionCatalogue()) {
        std::string line;
        AppendPadded(line, OrDash(def.token), kTokenWidth);
        AppendPadded(line, Switch(def), kSwitchWidth);
        AppendPadded(line, Keys(def), kKeysWidth);
        text += line + Caption(def) + "\n";
    }
    return text;
}

} // namespace camlog::ui
