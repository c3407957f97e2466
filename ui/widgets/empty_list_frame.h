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
    // Whether the whole text shows in the panel as it is now.
    bool textFits() const;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    // The largest font, from the panel's own size down to the smallest readable one, at which
    // the whole text fits the panel: a narrow window must not cut the explanation.
    void fitText();

    QLabel *m_text;
    int m_fullPointSize = 0;
};

} // namespace camlog::widgets
