// The empty-list panel `VideFrame`: how to add files, shown over the video area while the list is
// empty.
#pragma once

#include <QFrame>

class QLabel;

namespace camlog::widgets {

class EmptyListFrame : public QFrame {
    Q_OBJECT
public:
    explicit EmptyListFrame(QWidget *parent = nullptr);

    // The explanation, naming the accepted extension pattern ("*.avi").
    static QString explanation(const QString &extensionPattern);
    QString text() const;
    // Gives the text the keyboard focus (the caret hidden).
    void focusText();

private:
    QLabel *m_text;
};

} // namespace camlog::widgets
