// The script reader: the lines of a script file to action calls.
#include "headless/actions/script_reader.h"

#include "headless/actions/action_text.h"

namespace camlog::ui {

namespace {

CallMode ModeFromParameter(std::string_view parameter)
{
    const std::string value = AsciiLower(RemoveDoubleQuotes(parameter));
    if (value == "true")
        return CallMode::On;
    if (value == "false")
        return CallMode::Off;
    if (value == "toggle")
        return CallMode::Toggle;
    return CallMode::None;
}

} // namespace

ScriptLine ParseScriptLine(std::string_view line)
{
    line = TrimBlanks(line);
    if (line.empty())
        return {ScriptLineKind::Blank, {}};
    if (line.front() == '#' || line.front() == ';')
        return {ScriptLineKind::Comment, {}};

    CallMode mode = CallMode::None;
    switch (line.front()) {
    case '+':
        mode = CallMode::On;
        break;
    case '-':
        mode = CallMode::Off;
        break;
    case '/':
        mode = CallMode::Toggle;
        break;
    default:
        break;
    }
    if (mode != CallMode::None)
        line.remove_prefix(1);

    const auto equals = line.find('=');
    const std::string_view word = TrimBlanks(line.substr(0, equals));
    const std::string_view parameter =
        equals == std::string_view::npos ? std::string_view{} : TrimBlanks(line.substr(equals + 1));

    const ActionDef *action = FindAction(word);
    if (action == nullptr)
        return {ScriptLineKind::Unknown, {}};
    if (action->isToggle() && mode == CallMode::None)
        mode = ModeFromParameter(parameter);
    return {ScriptLineKind::Call, ActionCall{action, mode, RemoveDoubleQuotes(parameter)}};
}

ParsedCalls ParseScriptLines(std::span<const std::string> lines)
{
    ParsedCalls parsed;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        ScriptLine line = ParseScriptLine(lines[i]);
        if (line.kind == ScriptLineKind::Call)
            parsed.calls.push_back(std::move(line.call));
        else if (line.kind == ScriptLineKind::Unknown)
            parsed.ignored.push_back({i + 1, std::string(TrimBlanks(lines[i]))});
    }
    return parsed;
}

} // namespace camlog::ui
