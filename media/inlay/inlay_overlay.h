// The inlay's text drawn once per change into a small picture of its own, then laid over every
// decoded picture in its YUV planes.
#pragma once

#include "core/dv_video_segments.h"
#include "media/decoding/ffmpeg_owners.h"
#include "media/inlay/inlay_layout.h"
#include "media/inlay/inlay_lines.h"
#include "media/inlay/inlay_record.h"
#include "media/pipeline/reencode_error.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace camlog::media {

// How the lines are drawn: font, border and where they go.
struct InlayLook {
    InlayFont font;
    int borderSize = 0;
    int x = 900; // thousandths of the picture width
    int y = 900; // thousandths of the picture height (the bottom of line 2)
    int alignment = 2;

    bool operator==(const InlayLook &) const = default;
};

// Text goes through QtGui (QPainter on a QImage), which needs the process's QGuiApplication
// (the offscreen platform will do); it may then be drawn on any thread. Each line is drawn at
// its cell's top-left corner: when the border size B is above 0, first in black at every
// offset within B pixels in both directions ((2B + 1)² stamps), then once in the font's colour.
// The drawing, kept premultiplied in BT.601 YUV, is blended over the pictures, whose chroma
// planes get the drawing averaged over each chroma sample (4:2:0, 4:1:1 and the like).
class InlayOverlay {
public:
    InlayOverlay();
    ~InlayOverlay();
    InlayOverlay(const InlayOverlay &) = delete;
    InlayOverlay &operator=(const InlayOverlay &) = delete;

    // Pictures of this size and format (planar 8-bit YUV) from now on. Fails for another format,
    // or when text cannot be drawn in this process.
    core::Expected<bool, ReencodeErrorCode> Start(int width, int height, AVPixelFormat format);

    // The drawing of these lines in this look; redrawn only when something changed.
    void Prepare(const InlayLines &lines, const InlayLook &look);
    // Lays the prepared drawing over a picture of the started size and format; returns the
    // box it covered (empty when nothing was laid).
    core::PixelRect Blend(AVFrame &picture) const;

    // Of the last Prepare: the absolute pixel height of the font (the line spacing), the widths
    // of the two lines and where they went, for callers that check the layout.
    int LineHeight() const { return m_lineHeight; }
    int Width1() const { return m_width1; }
    int Width2() const { return m_width2; }
    const InlayPlacement &Placement() const { return m_placement; }
    // How many times text was drawn (stamps and coloured passes) since the start: each
    // change costs (2B + 1)² + 1 per line with text.
    std::int64_t TextDraws() const { return m_textDraws; }

private:
    class Font;
    void render(const InlayLines &lines, const InlayLook &look);

    int m_width = 0;
    int m_height = 0;
    int m_chromaShiftX = 0;
    int m_chromaShiftY = 0;
    bool m_prepared = false;
    InlayLines m_lines;
    InlayLook m_look;
    std::unique_ptr<Font> m_font;
    int m_lineHeight = 0;
    int m_width1 = 0;
    int m_width2 = 0;
    InlayPlacement m_placement;
    std::int64_t m_textDraws = 0;

    // The drawing's box in picture pixels, on the chroma grid, and its planes: per pixel the
    // opacity (0..255) and 255 × the premultiplied component, the same per chroma sample.
    int m_boxX = 0;
    int m_boxY = 0;
    int m_boxWidth = 0;
    int m_boxHeight = 0;
    std::vector<std::uint8_t> m_alpha;
    std::vector<std::int32_t> m_luma;
    std::vector<std::uint8_t> m_chromaAlpha;
    std::vector<std::int32_t> m_u;
    std::vector<std::int32_t> m_v;
};

} // namespace camlog::media
