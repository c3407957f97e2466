// Where the two inlay lines go in a picture, and the pixel height of the inlay's font.
#pragma once

namespace camlog::media {

// The top-left corners of the text cells of the two lines.
struct InlayPlacement {
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;

    bool operator==(const InlayPlacement &) const = default;
};

// Alignments of the two lines around the point (X, Y), in thousandths of the picture.
enum class InlayAlignment { Left = 0, Centred = 1, Right = 2, PictureCentre = 3 };

// A picture of width × height; the bottom of line 2 at height × y div 1000 and lines
// lineHeight apart; w1, w2 the widths of the lines. Left puts both lines at the left edge of
// line 2 centred on width × x div 1000; Centred centres each line there; Right ends both where
// line 2 centred there ends; PictureCentre centres each line in the picture, whatever x.
// Unknown alignments count as Right (the default).
InlayPlacement PlaceInlayLines(int width, int height, int x, int y, int alignment, int lineHeight, int w1, int w2);

// The pixel height of a font size in points at 96 pixels per inch: negative for a positive
// size (the character height without internal leading), positive for a negative size (the
// whole cell height). 16 gives −21, −21 gives 28.
int FontPixelHeight(int size);

// The font size that follows the picture width: −21 at 720 pixels (a cell of 28 pixels).
inline int AutoFontSize(int width)
{
    return -(width * 21 / 720);
}

} // namespace camlog::media
