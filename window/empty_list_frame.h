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
    // Whether the whole text shows in the panel as it is now.
    bool textFits() const;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    // The largest font, from the panel's own size down to the smallest readable one, at which
    // the whole text fits the panel: a narrow window must not cut the explanation.
    void fitText();
    // The height of the text laid out in that font at that width.
    int heightAt(const QFont &font, int width) const;

    TLinkEdit *m_text;
    int m_fullPointSize = 0;
};

} // namespace camlog::widgets
