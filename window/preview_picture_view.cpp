// The preview's picture.
#include "window/preview_picture_view.h"

#include <QPainter>

#include <cmath>

namespace camlog::widgets {

QRect FitPicture(int w, int h, const QRect &r)
{
    if (w <= 0 || h <= 0)
        return QRect(r.topLeft(), QSize(0, 0));
    if (static_cast<long long>(r.width()) * h < static_cast<long long>(r.height()) * w) {
        const int height = static_cast<int>(static_cast<long long>(r.width()) * h / w);
        return QRect(r.left(), r.top() + (r.height() - height) / 2, r.width(), height);
    }
    const int width = static_cast<int>(static_cast<long long>(r.height()) * w / h);
    return QRect(r.left() + (r.width() - width) / 2, r.top(), width, r.height());
}

PreviewPictureView::PreviewPictureView(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PreviewPictureView::setPicture(const QImage &picture, double aspect)
{
    m_picture = picture;
    m_aspect = aspect > 0 ? aspect : 4.0 / 3.0;
    update();
}

QRect PreviewPictureView::pictureRect() const
{
    if (m_picture.isNull())
        return {};
    return FitPicture(static_cast<int>(std::lround(m_aspect * 1000)), 1000, rect());
}

void PreviewPictureView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (m_picture.isNull())
        return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(pictureRect(), m_picture);
}

} // namespace camlog::widgets
