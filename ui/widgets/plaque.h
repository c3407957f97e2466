// The full-screen backdrop `Tplaque`: a borderless black window shown maximised behind the video
// in full screen. It passes every key to the file list so that the shortcuts keep working, and
// closing it only hides it.
#pragma once

#include <QPointer>
#include <QWidget>

namespace camlog::widgets {

class Tplaque : public QWidget {
    Q_OBJECT
public:
    explicit Tplaque(QWidget *parent = nullptr);

    // The widget that receives the keys (the file list).
    void setKeyTarget(QWidget *target) { m_target = target; }

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void forward(QKeyEvent *event);

    QPointer<QWidget> m_target;
};

} // namespace camlog::widgets
