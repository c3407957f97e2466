// The question and error boxes.
#include "window/question_box.h"

#include <QMessageBox>

namespace camlog::widgets {

using engine::TAnswer;

TAnswer AskQuestionBox(QWidget *parent, const QString &text, engine::TQuestionButtons buttons)
{
    QMessageBox box(QMessageBox::Question, kQuestionTitle, text, QMessageBox::NoButton, parent);
    box.setObjectName("QuestionBox");
    box.addButton(QMessageBox::Yes);
    box.addButton(QMessageBox::No);
    box.addButton(QMessageBox::Cancel);
    if (buttons == engine::TQuestionButtons::YesNoCancelAll) {
        box.addButton(QMessageBox::NoToAll);
        box.addButton(QMessageBox::YesToAll);
    }
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return TAnswer::Yes;
    case QMessageBox::No:
        return TAnswer::No;
    case QMessageBox::NoToAll:
        return TAnswer::NoToAll;
    case QMessageBox::YesToAll:
        return TAnswer::YesToAll;
    default:
        return TAnswer::Cancel;
    }
}

void ShowErrorBox(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::Critical, kQuestionTitle, text, QMessageBox::Ok, parent);
    box.setObjectName("ErrorBox");
    box.exec();
}

void ShowInformationBox(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::Information, kQuestionTitle, text, QMessageBox::Ok, parent);
    box.setObjectName("InformationBox");
    box.exec();
}

} // namespace camlog::widgets
