// `TFrequenceForm`, "Fix the video framerate": the frame rate that "Fix the video framerate"
// writes, chosen between Pal and NTSC or typed in the user's locale.
#pragma once

#include <QDialog>

#include <optional>

class QButtonGroup;
class QLabel;
class QLineEdit;

namespace camlog::widgets {

class TFrequenceForm : public QDialog {
    Q_OBJECT
public:
    enum Item { Pal = 0, Ntsc = 1, Personalized = 2 };

    explicit TFrequenceForm(QWidget *parent = nullptr);

    // The first use since the start chooses the item by the active file's frame rate (25: Pal,
    // within 1/1001 of 30000/1001: NTSC, else personalized with the rate typed in when the edit
    // is empty); later uses keep the last choice. A rate of 0 (no active file) chooses nothing.
    void preselect(double activeFrameRate);
    // 25, 29.97 or the typed number; nothing when the typed text is not a rate a header can hold.
    std::optional<double> chosenRate() const;
    // preselect, then shown modally: the rate on OK, nothing on Cancel.
    std::optional<double> ask(double activeFrameRate);

    int item() const;
    void setItem(int item);
    QLineEdit *edit() const { return m_edit; }

private:
    void okClicked();

    QButtonGroup *m_group = nullptr;
    QLineEdit *m_edit = nullptr;
    QLabel *m_note = nullptr;
    bool m_used = false;
};

} // namespace camlog::widgets
