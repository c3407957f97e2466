// The engine's confirmation questions as modal message boxes: Yes, No, Cancel, and No to All and
// Yes to All when the run holds several files.
#pragma once

#include "engine/command_types.h"

#include <QString>

class QWidget;

namespace camlog::widgets {

// The box's title: the application's title.
inline constexpr const char *kQuestionTitle = "Camlog";

// Shows the question modally over parent and returns the button pressed. Closing the box with
// Escape or its close box answers Cancel.
engine::TAnswer AskQuestionBox(QWidget *parent, const QString &text, engine::TQuestionButtons buttons);

// The modal error box of a failed file or command, with its OK button.
void ShowErrorBox(QWidget *parent, const QString &text);
// An information box with an OK button (a report the user asked for).
void ShowInformationBox(QWidget *parent, const QString &text);

} // namespace camlog::widgets
