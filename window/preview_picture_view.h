// Draws the preview's picture fitted at its aspect into the widget, centred on black.
#pragma once

#include <QImage>
#include <QRect>
#include <QWidget>

namespace camlog::widgets {

// The largest rectangle of a w × h picture's proportions inside r, centred; the empty
// rectangle at r's top-left corner when w or h is not positive.
QRect FitPicture(int w, int h, const QRect &r);

class PreviewPictureView : public QWidget {
    Q_OBJECT
public:
    explicit PreviewPictureView(QWidget *parent = nullptr);

    // The picture at its own size, shown at width ÷ height = aspect; a null image shows black.
    void setPicture(const QImage &picture, double aspect);
    const QImage &picture() const { return m_picture; }
    double aspect() const { return m_aspect; }
    // Where the picture lands in the widget.
    QRect pictureRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_picture;
    double m_aspect = 4.0 / 3.0;
};

} // namespace camlog::widgets
