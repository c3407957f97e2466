// The main window.
#include "ui/widgets/ui_form.h"

namespace camlog::widgets {

TUIForm::TUIForm(QWidget *parent) : QMainWindow(parent)
{
    setWindowTitle(QString::fromUtf8(kWindowCaption));
}

TUIForm::~TUIForm() = default;

} // namespace camlog::widgets
