// The scene panel `TSceneBase` of the scene editor: the current scene's number, duration,
// datecode, timecode and start, its picture and its caption (title and subtitle). It takes the
// place of the information panel while the editor is open.
#pragma once

#include <QFrame>
#include <QImage>

#include <string>

namespace camlog::scenes {
class TSceneClass;
}

class QLabel;
class QPlainTextEdit;

namespace camlog::widgets {

class TSceneBase : public QFrame {
    Q_OBJECT
public:
    static constexpr int kPictureWidth = 160;
    static constexpr int kPictureHeight = 120;

    explicit TSceneBase(QWidget *parent = nullptr);

    // Shows the scene (nothing: the panel's empty state).
    void showScene(const scenes::TSceneClass *scene);
    // The memo: title, line break, subtitle.
    void showCaption(const std::string &title, const std::string &subtitle);
    QImage picture() const { return m_picture; }

    QLabel *caption() const { return m_caption; }
    QLabel *number() const { return m_number; }
    QLabel *duration() const { return m_duration; }
    QLabel *datecode() const { return m_datecode; }
    QLabel *timecode() const { return m_timecode; }
    QLabel *startText() const { return m_start; }
    QLabel *pictureLabel() const { return m_pictureLabel; }
    QPlainTextEdit *memo() const { return m_memo; }

signals:
    void pictureClicked();
    void memoClicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLabel *m_caption;
    QLabel *m_number;
    QLabel *m_duration;
    QLabel *m_datecode;
    QLabel *m_timecode;
    QLabel *m_start;
    QLabel *m_pictureLabel;
    QPlainTextEdit *m_memo;
    QImage m_picture;
};

} // namespace camlog::widgets
