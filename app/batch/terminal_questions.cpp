// Confirmation questions on the terminal, or answered by the --yes / --no rule.
#include "app/batch/terminal_questions.h"

#include "headless/actions/action_text.h"

namespace camlog::app {

using engine::TAnswer;
using engine::TQuestionButtons;

std::optional<TAnswer> ParseTypedAnswer(std::string_view reply, TQuestionButtons buttons)
{
    const std::string word = ui::AsciiLower(ui::TrimBlanks(reply));
    if (word == "y" || word == "yes")
        return TAnswer::Yes;
    if (word == "n" || word == "no")
        return TAnswer::No;
    if (word == "c" || word == "cancel")
        return TAnswer::Cancel;
    if (buttons == TQuestionButtons::YesNoCancelAll) {
        if (word == "a" || word == "all" || word == "yes to all")
            return TAnswer::YesToAll;
        if (word == "none" || word == "no to all")
            return TAnswer::NoToAll;
    }
    return std::nullopt;
}

std::string AnswerPrompt(TQuestionButtons buttons)
{
    if (buttons == TQuestionButtons::YesNoCancelAll)
        return "[y]es, [n]o, [c]ancel, yes to [a]ll, no to all [none]? ";
    return "[y]es, [n]o, [c]ancel? ";
}

std::string_view AnswerCaption(TAnswer answer)
{
    switch (answer) {
    case TAnswer::Yes:
        return "Yes";
    case TAnswer::No:
        return "No";
    case TAnswer::Cancel:
        return "Cancel";
    case TAnswer::NoToAll:
        return "No to All";
    case TAnswer::YesToAll:
        return "Yes to All";
    }
    return "No";
}

TerminalQuestions::TerminalQuestions(AnswerRule rule, bool interactive, std::FILE *in, std::FILE *out)
    : m_rule(rule),
      m_interactive(interactive),
      m_in(in),
      m_out(out)
{
}

TAnswer TerminalQuestions::ruleAnswer(TQuestionButtons buttons) const
{
    const bool toAll = buttons == TQuestionButtons::YesNoCancelAll;
    if (m_rule == AnswerRule::YesToAll)
        return toAll ? TAnswer::YesToAll : TAnswer::Yes;
    // Without a terminal nobody can agree: the safe answer leaves the file as it is.
    return toAll ? TAnswer::NoToAll : TAnswer::No;
}

TAnswer TerminalQuestions::Ask(const std::string &text, TQuestionButtons buttons)
{
    std::fprintf(m_out, "%s\n", text.c_str());
    if (m_rule != AnswerRule::Ask || !m_interactive) {
        const TAnswer answer = ruleAnswer(buttons);
        const char *why = m_rule == AnswerRule::YesToAll  ? "--yes"
                          : m_rule == AnswerRule::NoToAll ? "--no"
                                                          : "no terminal to ask; --yes agrees";
        std::fprintf(m_out, "  -> %s (%s)\n", std::string(AnswerCaption(answer)).c_str(), why);
        std::fflush(m_out);
        return answer;
    }
    for (;;) {
        std::fputs(AnswerPrompt(buttons).c_str(), m_out);
        std::fflush(m_out);
        std::string reply;
        int c = 0;
        while ((c = std::fgetc(m_in)) != EOF && c != '\n')
            reply.push_back(static_cast<char>(c));
        if (c == EOF && reply.empty()) {
            std::fputs("\n  -> Cancel (end of input)\n", m_out);
            return TAnswer::Cancel;
        }
        if (const auto answer = ParseTypedAnswer(reply, buttons))
            return *answer;
    }
}

} // namespace camlog::app
