#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "qt/lectern/glyphimages.h"

class QRegion;
class QWidget;
struct xcb_connection_t;

namespace zelvano {

// Draws glyph pieces into one native X window over the connection Qt holds to the X server. Each
// piece's image goes to the server once, as a pixmap of its own; drawing the piece again is one
// copy request of some 30 bytes, which the server serves from its own memory. The pieces of each
// layer (one line of text) share one look.
class X11Canvas
{
public:
    // Whether the program talks to an X server whose default visual takes the 32-bit xRGB pixels
    // of a QImage::Format_RGB32 as they are: only then can a canvas be opened on its windows.
    static bool available();
    // A canvas on the widget's native window; nothing when its visual is not the default one.
    static std::unique_ptr<X11Canvas> open(const QWidget& widget);

    X11Canvas(const X11Canvas&) = delete;
    X11Canvas& operator=(const X11Canvas&) = delete;
    ~X11Canvas();

    // Region in the window's pixels.
    void fill(const QRegion& region, const QColor& colour);
    void draw(std::size_t layer, const GlyphPiece& piece, const GlyphLook& look);
    // Sends what was asked for to the server.
    void flush();

private:
    struct Layer
    {
        GlyphLook look;
        std::map<GlyphPiece::Key, std::uint32_t> pixmaps;
    };

    X11Canvas(xcb_connection_t* connection, std::uint32_t window, std::uint8_t depth);
    std::uint32_t upload(const QImage& image);
    void forget(Layer& layer);

    // Pixmaps per layer before a layer's are all dropped: as many as the images of GlyphImages.
    static constexpr std::size_t mostPixmaps = 24;

    xcb_connection_t* m_connection;
    std::uint32_t m_window;
    std::uint8_t m_depth;
    std::uint32_t m_context; // the graphics context of every request
    std::vector<Layer> m_layers;
};

} // namespace zelvano
