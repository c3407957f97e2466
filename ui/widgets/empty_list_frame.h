// The empty-list panel `VideFrame`: how to add files, shown over the video area while the list is
// empty.
#pragma once

#include <QFrame>

namespace camlog::widgets {

class TLinkEdit;

class EmptyListFrame : public QFrame {
    Q_OBJECT
public:
    explicit EmptyListFrame(QWidget *parent = nullptr);

    // The explanation, naming the accepted extension pattern ("*.avi").
    static QString explanation(const QString &extensionPattern);
    // The text as shown (without the mark-up).
    QString text() const;
    TLinkEdit *linkText() const { return m_text; }
    // Gives the text the keyboard focus (the caret hidden).
    void focusText();

private:
    TLinkEdit *m_text;
};

} // namespace camlog::widgets
