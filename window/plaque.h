// The full-screen backdrop `Tplaque`: a borderless black window shown maximised behind the video
// in full screen. It passes every key to the file list so that the shortcuts keep working, and
// closing it only hides it. The window's actions are added to it too, so that their shortcuts
// answer here as they do in the window.
#pragma once

#include <QPointer>
#include <QWidget>

namespace camlog::widgets {

class PreviewPictureView;

class Tplaque : public QWidget {
    Q_OBJECT
public:
    explicit Tplaque(QWidget *parent = nullptr);

    // The widget that receives the keys (the file list).
    void setKeyTarget(QWidget *target) { m_target = target; }
    // The picture shown full screen, fitted at its aspect into the whole backdrop.
    PreviewPictureView *view() const { return m_view; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void forward(QKeyEvent *event);

    QPointer<QWidget> m_target;
    PreviewPictureView *m_view;
};

} // namespace camlog::widgets
