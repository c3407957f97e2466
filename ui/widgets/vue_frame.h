// The video panel `TVueFrame`: the video window, the time stamp and the position slider. Until the
// preview plays files it shows its idle state: a black picture area, no time stamp, the slider off.
#pragma once

#include <QFrame>

class QLabel;
class QSlider;

namespace camlog::widgets {

class TVueFrame : public QFrame {
    Q_OBJECT
public:
    explicit TVueFrame(QWidget *parent = nullptr);

    // The file the panel stands for (empty: none); the idle state names it without playing it.
    void showIdle(const QString &fileName);
    // The time stamp's font follows the panel's width: 10 points up to 500 pixels, else width/48.
    static int timeStampPointSize(int panelWidth);

    QWidget *videoWindow() const { return m_video; }
    QLabel *timeStamp() const { return m_stamp; }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void arrange();

    QWidget *m_video;
    QLabel *m_note;
    QLabel *m_stamp;
    QSlider *m_position;
};

} // namespace camlog::widgets
