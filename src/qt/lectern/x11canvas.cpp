#include "qt/lectern/x11canvas.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QRegion>
#include <QWidget>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

namespace zelvano {

namespace {

    xcb_connection_t* qtConnection()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            return nullptr;
        const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        return x11 ? x11->connection() : nullptr;
    }

    struct Visual
    {
        const xcb_visualtype_t* type;
        std::uint8_t depth;
    };

    std::optional<Visual> findVisual(const xcb_setup_t* setup, xcb_visualid_t id)
    {
        for (auto screens = xcb_setup_roots_iterator(setup); screens.rem;
             xcb_screen_next(&screens)) {
            for (auto depths = xcb_screen_allowed_depths_iterator(screens.data); depths.rem;
                 xcb_depth_next(&depths)) {
                for (auto visuals = xcb_depth_visuals_iterator(depths.data); visuals.rem;
                     xcb_visualtype_next(&visuals)) {
                    if (visuals.data->visual_id == id)
                        return Visual { visuals.data, depths.data->depth };
                }
            }
        }
        return std::nullopt;
    }

    // Whether the visual's pixels are 32-bit words 0x??RRGGBB stored in this machine's byte
    // order, rows without padding: a QImage::Format_RGB32 as it lies in memory.
    bool takesRgb32(const xcb_setup_t* setup, const std::optional<Visual>& visual)
    {
        constexpr auto machineOrder = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? XCB_IMAGE_ORDER_LSB_FIRST
                                                                      : XCB_IMAGE_ORDER_MSB_FIRST;
        if (!visual || visual->type->_class != XCB_VISUAL_CLASS_TRUE_COLOR
            || visual->type->red_mask != 0xFF0000 || visual->type->green_mask != 0xFF00
            || visual->type->blue_mask != 0xFF || (visual->depth != 24 && visual->depth != 32)
            || setup->image_byte_order != machineOrder)
            return false;
        for (auto formats = xcb_setup_pixmap_formats_iterator(setup); formats.rem;
             xcb_format_next(&formats)) {
            if (formats.data->depth == visual->depth)
                return formats.data->bits_per_pixel == 32 && formats.data->scanline_pad <= 32;
        }
        return false;
    }

    xcb_rectangle_t xcbRect(const QRect& rect)
    {
        return { static_cast<std::int16_t>(rect.x()), static_cast<std::int16_t>(rect.y()),
            static_cast<std::uint16_t>(rect.width()), static_cast<std::uint16_t>(rect.height()) };
    }

} // namespace

bool X11Canvas::available()
{
    xcb_connection_t* connection = qtConnection();
    if (!connection)
        return false;
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(setup).data;
    return screen && takesRgb32(setup, findVisual(setup, screen->root_visual));
}

std::unique_ptr<X11Canvas> X11Canvas::open(const QWidget& widget, std::function<void()> lost)
{
    xcb_connection_t* connection = qtConnection();
    if (!connection)
        return nullptr;
    const xcb_window_t window = windowOf(widget);
    xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, window), nullptr);
    if (!attributes)
        return nullptr;
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const std::optional<Visual> visual = findVisual(setup, attributes->visual);
    std::free(attributes);
    if (!takesRgb32(setup, visual))
        return nullptr;
    return std::unique_ptr<X11Canvas>(
        new X11Canvas(connection, window, visual->depth, std::move(lost)));
}

std::uint32_t X11Canvas::windowOf(const QWidget& widget)
{
    const QWindow* window = widget.windowHandle();
    return static_cast<std::uint32_t>(window ? window->winId() : widget.winId());
}

X11Canvas::X11Canvas(xcb_connection_t* connection, std::uint32_t window, std::uint8_t depth,
    std::function<void()> lost)
    : m_connection(connection)
    , m_window(window)
    , m_depth(depth)
    , m_context(xcb_generate_id(connection))
    , m_lost(std::move(lost))
{
    // Without graphics exposures, a copy puts no event on the way back to wake the program.
    const std::uint32_t noExposures = 0;
    xcb_create_gc(m_connection, m_context, m_window, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11Canvas::~X11Canvas()
{
    QCoreApplication::instance()->removeNativeEventFilter(this);
    for (Layer& layer : m_layers)
        forget(layer);
    xcb_free_gc(m_connection, m_context);
    xcb_flush(m_connection);
}

void X11Canvas::fill(const QRegion& region, const QColor& colour)
{
    if (region.isEmpty())
        return;
    // Opaque in a visual with an alpha channel; the top byte is ignored in one without.
    const std::uint32_t pixel = colour.rgb();
    xcb_change_gc(m_connection, m_context, XCB_GC_FOREGROUND, &pixel);
    std::vector<xcb_rectangle_t> rects;
    for (const QRect& rect : region)
        rects.push_back(xcbRect(rect));
    xcb_poly_fill_rectangle(
        m_connection, m_window, m_context, static_cast<std::uint32_t>(rects.size()), rects.data());
}

void X11Canvas::draw(std::size_t layer, const GlyphPiece& piece, const GlyphLook& look)
{
    if (layer >= m_layers.size())
        m_layers.resize(layer + 1);
    Layer& drawn = m_layers[layer];
    if (drawn.look != look || drawn.pixmaps.size() >= mostPixmaps) {
        forget(drawn);
        drawn.look = look;
    }
    const GlyphPiece::Key key = piece.key();
    if (drawn.unmade.count(key) != 0) {
        putImage(m_window, drawPiece(piece, look), piece.ink.topLeft());
        return;
    }
    auto kept = drawn.pixmaps.find(key);
    if (kept == drawn.pixmaps.end())
        kept = drawn.pixmaps.emplace(key, upload(drawPiece(piece, look))).first;
    const xcb_rectangle_t to = xcbRect(piece.ink);
    xcb_copy_area(
        m_connection, kept->second.id, m_window, m_context, 0, 0, to.x, to.y, to.width, to.height);
}

void X11Canvas::flush() { xcb_flush(m_connection); }

X11Canvas::Pixmap X11Canvas::upload(const QImage& image)
{
    const xcb_pixmap_t pixmap = xcb_generate_id(m_connection);
    const xcb_rectangle_t size = xcbRect(image.rect());
    const xcb_void_cookie_t made
        = xcb_create_pixmap(m_connection, m_depth, pixmap, m_window, size.width, size.height);
    putImage(pixmap, image, QPoint());
    return { pixmap, made.sequence };
}

// The server's answer to a pixmap it could not make: the piece is drawn another way from now on.
bool X11Canvas::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* error = static_cast<const xcb_generic_error_t*>(message);
    if (error->response_type != 0 || error->major_code != XCB_CREATE_PIXMAP)
        return false;
    for (Layer& layer : m_layers) {
        const auto failed = std::find_if(layer.pixmaps.begin(), layer.pixmaps.end(),
            [error](const auto& entry) { return entry.second.request == error->full_sequence; });
        if (failed == layer.pixmaps.end())
            continue;
        layer.unmade.insert(failed->first);
        layer.pixmaps.erase(failed);
        m_lost();
        return true;
    }
    return false;
}

// In requests no longer than the server takes, row by row.
void X11Canvas::putImage(std::uint32_t drawable, const QImage& image, const QPoint& at)
{
    const xcb_rectangle_t size = xcbRect(image.rect());
    constexpr std::uint32_t requestHeader = 24;
    const std::uint32_t longestRequest = xcb_get_maximum_request_length(m_connection) * 4;
    const auto rowBytes = static_cast<std::uint32_t>(image.bytesPerLine());
    const int rowsAtOnce
        = static_cast<int>(std::max(1U, (longestRequest - requestHeader) / rowBytes));
    for (int top = 0; top < image.height(); top += rowsAtOnce) {
        const int rows = std::min(rowsAtOnce, image.height() - top);
        xcb_put_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, drawable, m_context, size.width,
            static_cast<std::uint16_t>(rows), static_cast<std::int16_t>(at.x()),
            static_cast<std::int16_t>(at.y() + top), 0, m_depth,
            rowBytes * static_cast<std::uint32_t>(rows), image.constScanLine(top));
    }
}

void X11Canvas::forget(Layer& layer)
{
    for (const auto& [key, pixmap] : layer.pixmaps)
        xcb_free_pixmap(m_connection, pixmap.id);
    layer.pixmaps.clear();
    layer.unmade.clear();
}

} // namespace zelvano
