// The inlay's text drawn once per change and laid over the pictures in their YUV planes.
#include "media/inlay/inlay_overlay.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>

extern "C" {
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <cmath>
#include <optional>

namespace camlog::media {

namespace {

// The pixel size at which a font's cell (ascent + descent) is at most `cell` pixels high.
int pixelSizeForCell(QFont font, int cell)
{
    int size = std::max(cell, 1);
    for (; size > 1; --size) {
        font.setPixelSize(size);
        const QFontMetrics metrics(font);
        if (metrics.ascent() + metrics.descent() <= cell)
            break;
    }
    return size;
}

QString toQString(const std::u16string &text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// BT.601 studio range: 255 × the component of a premultiplied colour of opacity a.
std::int32_t lumaOf(int a, int r, int g, int b)
{
    return static_cast<std::int32_t>(std::lround(16.0 * a + 65.481 * r + 128.553 * g + 24.966 * b));
}

std::int32_t blueDifferenceOf(int a, int r, int g, int b)
{
    return static_cast<std::int32_t>(std::lround(128.0 * a - 37.797 * r - 74.203 * g + 112.0 * b));
}

std::int32_t redDifferenceOf(int a, int r, int g, int b)
{
    return static_cast<std::int32_t>(std::lround(128.0 * a + 112.0 * r - 93.786 * g - 18.214 * b));
}

int roundDown(int value, int shift)
{
    return value >> shift << shift;
}

int roundUp(int value, int shift)
{
    return ((value + (1 << shift) - 1) >> shift) << shift;
}

void blendPlane(std::uint8_t *plane, int linesize, int x0, int y0, int width, int height, const std::uint8_t *alpha,
                const std::int32_t *value)
{
    for (int row = 0; row < height; ++row) {
        std::uint8_t *dst = plane + static_cast<std::ptrdiff_t>(y0 + row) * linesize + x0;
        const std::uint8_t *a = alpha + static_cast<std::ptrdiff_t>(row) * width;
        const std::int32_t *v = value + static_cast<std::ptrdiff_t>(row) * width;
        for (int col = 0; col < width; ++col) {
            if (a[col] == 0)
                continue;
            const int out = (dst[col] * (255 - a[col]) + v[col] + 127) / 255;
            dst[col] = static_cast<std::uint8_t>(std::clamp(out, 0, 255));
        }
    }
}

} // namespace

// The work font with the metrics the layout uses.
class InlayOverlay::Font {
public:
    explicit Font(const InlayFont &spec) : spec(spec)
    {
        font.setFamily(QString::fromStdString(spec.name));
        font.setBold(spec.bold);
        font.setItalic(spec.italic);
        font.setUnderline(spec.underline);
        font.setStrikeOut(spec.strikeOut);
        const int height = FontPixelHeight(spec.size);
        lineHeight = std::abs(height);
        if (height < 0)
            font.setPixelSize(-height);
        else if (height > 0)
            font.setPixelSize(pixelSizeForCell(font, height));
        else
            font.setPixelSize(16); // the system's default height
        const QFontMetrics metrics(font);
        ascent = metrics.ascent();
        cell = metrics.ascent() + metrics.descent();
    }

    int width(const QString &text) const { return text.isEmpty() ? 0 : QFontMetrics(font).horizontalAdvance(text); }

    InlayFont spec;
    QFont font;
    int lineHeight = 0;
    int ascent = 0;
    int cell = 0;
};

InlayOverlay::InlayOverlay() = default;
InlayOverlay::~InlayOverlay() = default;

core::Expected<bool, ReencodeErrorCode> InlayOverlay::Start(int width, int height, AVPixelFormat format)
{
    const AVPixFmtDescriptor *descriptor = av_pix_fmt_desc_get(format);
    const bool planarYuv =
        descriptor != nullptr && descriptor->nb_components >= 3 && (descriptor->flags & AV_PIX_FMT_FLAG_PLANAR) != 0
        && (descriptor->flags & (AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_PAL | AV_PIX_FMT_FLAG_BE)) == 0
        && descriptor->comp[0].depth == 8 && descriptor->comp[1].depth == 8;
    if (!planarYuv || width <= 0 || height <= 0)
        return ReencodeError{ReencodeErrorCode::PictureFailed,
                             "the inlay cannot draw on pictures of format "
                                 + std::string(descriptor != nullptr ? descriptor->name : "unknown")};
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()) == nullptr)
        return ReencodeError{ReencodeErrorCode::PictureFailed, "the inlay cannot draw text in this process"};
    m_width = width;
    m_height = height;
    m_chromaShiftX = descriptor->log2_chroma_w;
    m_chromaShiftY = descriptor->log2_chroma_h;
    m_prepared = false;
    m_textDraws = 0;
    return true;
}

void InlayOverlay::Prepare(const InlayLines &lines, const InlayLook &look)
{
    if (m_prepared && lines == m_lines && look == m_look)
        return;
    render(lines, look);
    m_lines = lines;
    m_look = look;
    m_prepared = true;
}

void InlayOverlay::render(const InlayLines &lines, const InlayLook &look)
{
    if (!m_font || !(m_font->spec == look.font))
        m_font = std::make_unique<Font>(look.font);
    const Font &font = *m_font;
    const QString text1 = toQString(lines.line1);
    const QString text2 = toQString(lines.line2);
    m_lineHeight = font.lineHeight;
    m_width1 = font.width(text1);
    m_width2 = font.width(text2);
    m_placement = PlaceInlayLines(m_width, m_height, look.x, look.y, look.alignment, m_lineHeight, m_width1, m_width2);

    // The box holds both cells with the border and room for overhanging glyphs (italics).
    const int border = std::max(look.borderSize, 0);
    const int margin = border + font.cell / 2 + 2;
    int left = m_width, top = m_height, right = 0, bottom = 0;
    const auto include = [&](const QString &text, int x, int y, int w) {
        if (text.isEmpty())
            return;
        left = std::min(left, x - margin);
        right = std::max(right, x + w + margin);
        top = std::min(top, y - margin);
        bottom = std::max(bottom, y + font.cell + margin);
    };
    include(text1, m_placement.x1, m_placement.y1, m_width1);
    include(text2, m_placement.x2, m_placement.y2, m_width2);
    m_boxX = std::max(0, roundDown(left, m_chromaShiftX));
    m_boxY = std::max(0, roundDown(top, m_chromaShiftY));
    m_boxWidth = std::max(0, std::min(m_width, roundUp(right, m_chromaShiftX)) - m_boxX);
    m_boxHeight = std::max(0, std::min(m_height, roundUp(bottom, m_chromaShiftY)) - m_boxY);
    m_alpha.clear();
    m_chromaAlpha.clear();
    if (m_boxWidth == 0 || m_boxHeight == 0)
        return;

    QImage image(m_boxWidth, m_boxHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setFont(font.font);
        painter.translate(-m_boxX, -m_boxY);
        const QColor colour(static_cast<int>(look.font.color & 0xFF), static_cast<int>((look.font.color >> 8) & 0xFF),
                            static_cast<int>((look.font.color >> 16) & 0xFF));
        const auto draw = [&](const QString &text, int x, int y) {
            if (text.isEmpty())
                return;
            const int baseline = y + font.ascent;
            if (border > 0) {
                painter.setPen(Qt::black);
                for (int dy = -border; dy <= border; ++dy)
                    for (int dx = -border; dx <= border; ++dx) {
                        painter.drawText(QPoint(x + dx, baseline + dy), text);
                        ++m_textDraws;
                    }
            }
            painter.setPen(colour);
            painter.drawText(QPoint(x, baseline), text);
            ++m_textDraws;
        };
        draw(text1, m_placement.x1, m_placement.y1);
        draw(text2, m_placement.x2, m_placement.y2);
    }

    const std::size_t pixels = static_cast<std::size_t>(m_boxWidth) * static_cast<std::size_t>(m_boxHeight);
    m_alpha.assign(pixels, 0);
    m_luma.assign(pixels, 0);
    const int chromaWidth = -((-m_boxWidth) >> m_chromaShiftX);
    const int chromaHeight = -((-m_boxHeight) >> m_chromaShiftY);
    const std::size_t samples = static_cast<std::size_t>(chromaWidth) * static_cast<std::size_t>(chromaHeight);
    std::vector<std::int32_t> alphaSum(samples, 0), uSum(samples, 0), vSum(samples, 0), count(samples, 0);
    for (int row = 0; row < m_boxHeight; ++row) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(row));
        for (int col = 0; col < m_boxWidth; ++col) {
            const QRgb p = line[col];
            const int a = qAlpha(p), r = qRed(p), g = qGreen(p), b = qBlue(p);
            const std::size_t i = static_cast<std::size_t>(row) * static_cast<std::size_t>(m_boxWidth) + col;
            m_alpha[i] = static_cast<std::uint8_t>(a);
            m_luma[i] = lumaOf(a, r, g, b);
            const std::size_t c =
                static_cast<std::size_t>(row >> m_chromaShiftY) * chromaWidth + (col >> m_chromaShiftX);
            alphaSum[c] += a;
            uSum[c] += blueDifferenceOf(a, r, g, b);
            vSum[c] += redDifferenceOf(a, r, g, b);
            ++count[c];
        }
    }
    m_chromaAlpha.assign(samples, 0);
    m_u.assign(samples, 0);
    m_v.assign(samples, 0);
    for (std::size_t c = 0; c < samples; ++c) {
        const int n = std::max(count[c], 1);
        m_chromaAlpha[c] = static_cast<std::uint8_t>((alphaSum[c] + n / 2) / n);
        m_u[c] = static_cast<std::int32_t>(std::lround(static_cast<double>(uSum[c]) / n));
        m_v[c] = static_cast<std::int32_t>(std::lround(static_cast<double>(vSum[c]) / n));
    }
}

core::PixelRect InlayOverlay::Blend(AVFrame &picture) const
{
    if (!m_prepared || m_alpha.empty() || picture.width != m_width || picture.height != m_height)
        return {};
    blendPlane(picture.data[0], picture.linesize[0], m_boxX, m_boxY, m_boxWidth, m_boxHeight, m_alpha.data(),
               m_luma.data());
    const int chromaWidth = -((-m_boxWidth) >> m_chromaShiftX);
    const int chromaHeight = -((-m_boxHeight) >> m_chromaShiftY);
    const int chromaX = m_boxX >> m_chromaShiftX;
    const int chromaY = m_boxY >> m_chromaShiftY;
    blendPlane(picture.data[1], picture.linesize[1], chromaX, chromaY, chromaWidth, chromaHeight, m_chromaAlpha.data(),
               m_u.data());
    blendPlane(picture.data[2], picture.linesize[2], chromaX, chromaY, chromaWidth, chromaHeight, m_chromaAlpha.data(),
               m_v.data());
    return {m_boxX, m_boxY, m_boxWidth, m_boxHeight};
}

} // namespace camlog::media
