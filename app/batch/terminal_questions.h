// How the batch mode answers the engine's confirmation questions: on the terminal, or by a rule.
#pragma once

#include "engine/command_types.h"

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace camlog::app {

// `--yes` answers every question Yes to All, `--no` No to All; without either the user is asked
// when standard input is a terminal, and the answer is No when it is not.
enum class AnswerRule { Ask, YesToAll, NoToAll };

// One typed reply read as an answer: "y"/"yes", "n"/"no", "c"/"cancel", and when the buttons
// offer them "a"/"all"/"yes to all" and "none"/"no to all" (case and blanks ignored). Nothing
// for any other reply, which is asked again.
std::optional<engine::TAnswer> ParseTypedAnswer(std::string_view reply, engine::TQuestionButtons buttons);

// The prompt under a question, naming the replies the buttons allow.
std::string AnswerPrompt(engine::TQuestionButtons buttons);

class TerminalQuestions {
public:
    // in: where the user types (read only when the rule is Ask and interactive is true);
    // out: where questions and the rule's answers are written.
    TerminalQuestions(AnswerRule rule, bool interactive, std::FILE *in, std::FILE *out);

    // The answer to one question. A rule answers "to All" when the buttons offer it, else the
    // plain Yes or No. The end of the typed input cancels the run.
    engine::TAnswer Ask(const std::string &text, engine::TQuestionButtons buttons);

private:
    engine::TAnswer ruleAnswer(engine::TQuestionButtons buttons) const;

    AnswerRule m_rule;
    bool m_interactive;
    std::FILE *m_in;
    std::FILE *m_out;
};

// The answer's button caption ("Yes", "No to All"...).
std::string_view AnswerCaption(engine::TAnswer answer);

} // namespace camlog::app
