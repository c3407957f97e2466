// `TCodecForm`, "Change the video codec": the four-character code that "Change the codec"
// writes, chosen among the DV codes or typed.
#pragma once

#include <QDialog>

#include <optional>
#include <string>

class QButtonGroup;
class QLabel;
class QLineEdit;

namespace camlog::widgets {

class TCodecForm : public QDialog {
    Q_OBJECT
public:
    enum Item { Dvsd = 0, Dsvd = 1, Cdvc = 2, Personalized = 3 };

    explicit TCodecForm(QWidget *parent = nullptr);

    // The first use since the start chooses the item by the active file's codec (any case);
    // later uses keep the last choice. An empty codec (no active file) chooses nothing.
    void preselect(const std::string &activeCodec);
    // The chosen code, four characters (a typed code padded with blanks); nothing when the
    // personalized code is empty or not plain letters, digits and signs.
    std::optional<std::string> chosenCode() const;
    // preselect, then shown modally: the code on OK, nothing on Cancel.
    std::optional<std::string> ask(const std::string &activeCodec);

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
