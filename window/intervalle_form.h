// `TIntervalleForm`, "Split in scenes": the duration of the scenes that "Create a scn file with
// fixed durations" cuts, in whole seconds.
#pragma once

#include <QDialog>

#include <optional>

class QLabel;
class QLineEdit;

namespace camlog::widgets {

class TIntervalleForm : public QDialog {
    Q_OBJECT
public:
    explicit TIntervalleForm(QWidget *parent = nullptr);

    // Shows the seconds in the edit and the dialog modally. "Apply" with a whole number above 0
    // gives it; other text is refused with a word and the dialog stays open; "Abort", Escape or
    // the close box give nothing.
    std::optional<int> ask(int seconds);

    QLineEdit *edit() const { return m_edit; }
    QLabel *refusal() const { return m_note; }
    // The edit's answer: a whole number of seconds above 0, or nothing.
    std::optional<int> typedSeconds() const;

private:
    void applyClicked();

    QLineEdit *m_edit = nullptr;
    QLabel *m_note = nullptr;
};

} // namespace camlog::widgets
