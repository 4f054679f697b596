#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include <QAbstractNativeEventFilter>

#include "qt/lectern/glyphimages.h"

class QPoint;
class QRegion;
class QWidget;
struct xcb_connection_t;

namespace zelvano {

// Draws glyph pieces into one native X window over the connection Qt holds to the X server. Each
// piece's image goes to the server once, as a pixmap of its own; drawing the piece again is one
// copy request of some 30 bytes, which the server serves from its own memory. A pixmap the server
// cannot make (out of memory) is not kept: its error, which comes back as an event, drops it, and
// the piece's image then goes into the window itself whenever it is drawn, until the layer's look
// changes. Nothing waits for the server. The pieces of each layer (one line of text) share one
// look.
class X11Canvas final : public QAbstractNativeEventFilter
{
public:
    // Whether the program talks to an X server whose default visual takes the 32-bit xRGB pixels
    // of a QImage::Format_RGB32 as they are: only then can a canvas be opened on its windows.
    static bool available();
    // A canvas on the widget's native window; nothing when its visual is not the default one.
    // lost is told when pieces drawn from a pixmap that the server could not make must be drawn
    // again.
    static std::unique_ptr<X11Canvas> open(const QWidget& widget, std::function<void()> lost);
    // The widget's X window as it is now: Qt may give a native widget a new one.
    static std::uint32_t windowOf(const QWidget& widget);
    std::uint32_t window() const { return m_window; }

    X11Canvas(const X11Canvas&) = delete;
    X11Canvas& operator=(const X11Canvas&) = delete;
    ~X11Canvas() override;

    // Region in the window's pixels.
    void fill(const QRegion& region, const QColor& colour);
    void draw(std::size_t layer, const GlyphPiece& piece, const GlyphLook& look);
    // Sends what was asked for to the server.
    void flush();

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    // A pixmap, and the request that made it, which the server's error for it names.
    struct Pixmap
    {
        std::uint32_t id;
        unsigned int request;
    };
    struct Layer
    {
        GlyphLook look;
        std::map<GlyphPiece::Key, Pixmap> pixmaps;
        std::set<GlyphPiece::Key> unmade; // pieces whose pixmap the server could not make
    };

    X11Canvas(xcb_connection_t* connection, std::uint32_t window, std::uint8_t depth,
        std::function<void()> lost);
    Pixmap upload(const QImage& image);
    void putImage(std::uint32_t drawable, const QImage& image, const QPoint& at);
    void forget(Layer& layer);

    // Pixmaps per layer before a layer's are all dropped: as many as the images of GlyphImages.
    static constexpr std::size_t mostPixmaps = 24;

    xcb_connection_t* m_connection;
    std::uint32_t m_window;
    std::uint8_t m_depth;
    std::uint32_t m_context; // the graphics context of every request
    std::vector<Layer> m_layers;
    std::function<void()> m_lost;
};

} // namespace zelvano
