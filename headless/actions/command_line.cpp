// The command-line reader: program arguments to action calls.
#include "headless/actions/command_line.h"

#include "core/video_file_name.h"
#include "headless/actions/action_text.h"

namespace camlog::ui {

namespace {

CallMode PrefixMode(char c)
{
    switch (c) {
    case '+':
        return CallMode::On;
    case '-':
        return CallMode::Off;
    case '/':
        return CallMode::Toggle;
    default:
        return CallMode::None;
    }
}

std::optional<ActionCall> FileCall(std::string argument)
{
    const ActionDef *action =
        FindActionByName(core::IsVideoFileName(argument) ? kActionOpenFiles : kActionOpenPlaylist);
    return ActionCall{action, CallMode::None, std::move(argument)};
}

} // namespace

std::optional<ActionCall> ParseArgument(std::string_view argument)
{
    std::string text = RemoveDoubleQuotes(argument);
    if (text.empty())
        return std::nullopt;
    const CallMode mode = PrefixMode(text.front());
    if (mode == CallMode::None)
        return FileCall(std::move(text));

    const std::string_view rest = std::string_view(text).substr(1);
    const auto equals = rest.find('=');
    const std::string_view word = rest.substr(0, equals);
    if (word.empty())
        return std::nullopt;
    if (const ActionDef *action = FindAction(word)) {
        std::string parameter = equals == std::string_view::npos ? std::string{} : std::string(rest.substr(equals + 1));
        return ActionCall{action, mode, std::move(parameter)};
    }
    if (mode == CallMode::Toggle && word.find('/') != std::string_view::npos)
        return FileCall(std::move(text));
    return std::nullopt;
}

ParsedCalls ParseArguments(std::span<const std::string> arguments)
{
    ParsedCalls parsed;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (auto call = ParseArgument(arguments[i]))
            parsed.calls.push_back(std::move(*call));
        else
            parsed.ignored.push_back({i + 1, arguments[i]});
    }
    return parsed;
}

} // namespace camlog::ui
