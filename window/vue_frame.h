// The video panel `TVueFrame`: the video window, the time stamp and the position slider; an
// explanation text instead of the picture when the file cannot be shown, and the idle state
// (black, no time stamp, the slider off) without a file.
#pragma once

#include <QFrame>

class QLabel;
class QSlider;

namespace camlog::widgets {

class PreviewPictureView;

class TVueFrame : public QFrame {
    Q_OBJECT
public:
    explicit TVueFrame(QWidget *parent = nullptr);

    // The file the panel stands for (empty: none), shown without a picture.
    void showIdle(const QString &fileName);
    // The picture at its own size, shown at width ÷ height = aspect.
    void showPicture(const QImage &picture, double aspect);
    // An explanation text (rich text) instead of the picture; an empty text shows the picture.
    void showMessage(const QString &richText);
    // A file that plays without a picture (sound alone) keeps its slider above the message.
    void showSliderWithMessage();
    void setTimeStamp(const QString &text);
    // The slider: 0..1000; off without a file shown.
    void setSliderValue(int value);
    void setSliderEnabled(bool enabled);
    // The inlay's two position sliders along the bottom and right edges of the picture (0..1000;
    // the vertical one shows 1000 − Y), shown while the inlay is edited; the time stamp hides.
    void setInlaySlidersVisible(bool visible);
    void setInlaySliders(int x, int y);
    QSlider *inlaySliderX() const { return m_inlayX; }
    QSlider *inlaySliderY() const { return m_inlayY; }

    // The time stamp's font follows the panel's width: 10 points up to 500 pixels, else width/48.
    static int timeStampPointSize(int panelWidth);

    PreviewPictureView *videoWindow() const { return m_video; }
    QLabel *timeStamp() const { return m_stamp; }
    QLabel *note() const { return m_note; }
    QSlider *positionSlider() const { return m_position; }

signals:
    // The user moved the slider to value (0..1000).
    void sliderMoved(int value);
    // The user moved an inlay slider: the new X, or the new Y (1000 − the slider's value).
    void inlayXMoved(int x);
    void inlayYMoved(int y);
    void inlaySliderPressed();
    void inlaySliderReleased();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void arrange();

    PreviewPictureView *m_video;
    QLabel *m_note;
    QLabel *m_stamp;
    QSlider *m_position;
    QSlider *m_inlayX;
    QSlider *m_inlayY;
    bool m_settingInlay = false;
};

} // namespace camlog::widgets
