#include "qt/lectern/x11canvas.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QRegion>
#include <QWidget>
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

std::unique_ptr<X11Canvas> X11Canvas::open(const QWidget& widget)
{
    xcb_connection_t* connection = qtConnection();
    if (!connection)
        return nullptr;
    const auto window = static_cast<xcb_window_t>(widget.winId());
    xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, window), nullptr);
    if (!attributes)
        return nullptr;
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const std::optional<Visual> visual = findVisual(setup, attributes->visual);
    std::free(attributes);
    if (!takesRgb32(setup, visual))
        return nullptr;
    return std::unique_ptr<X11Canvas>(new X11Canvas(connection, window, visual->depth));
}

X11Canvas::X11Canvas(xcb_connection_t* connection, std::uint32_t window, std::uint8_t depth)
    : m_connection(connection)
    , m_window(window)
    , m_depth(depth)
    , m_context(xcb_generate_id(connection))
{
    // Without graphics exposures, a copy puts no event on the way back to wake the program.
    const std::uint32_t noExposures = 0;
    xcb_create_gc(m_connection, m_context, m_window, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);
}

X11Canvas::~X11Canvas()
{
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
    const auto [kept, added] = drawn.pixmaps.try_emplace(piece.key(), 0);
    if (added)
        kept->second = upload(drawPiece(piece, look));
    const xcb_rectangle_t to = xcbRect(piece.ink);
    xcb_copy_area(
        m_connection, kept->second, m_window, m_context, 0, 0, to.x, to.y, to.width, to.height);
}

void X11Canvas::flush() { xcb_flush(m_connection); }

// In requests no longer than the server takes, row by row.
std::uint32_t X11Canvas::upload(const QImage& image)
{
    const xcb_pixmap_t pixmap = xcb_generate_id(m_connection);
    const xcb_rectangle_t size = xcbRect(image.rect());
    xcb_create_pixmap(m_connection, m_depth, pixmap, m_window, size.width, size.height);
    constexpr std::uint32_t requestHeader = 24;
    const std::uint32_t longestRequest = xcb_get_maximum_request_length(m_connection) * 4;
    const auto rowBytes = static_cast<std::uint32_t>(image.bytesPerLine());
    const int rowsAtOnce
        = static_cast<int>(std::max(1U, (longestRequest - requestHeader) / rowBytes));
    for (int top = 0; top < image.height(); top += rowsAtOnce) {
        const int rows = std::min(rowsAtOnce, image.height() - top);
        xcb_put_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, pixmap, m_context, size.width,
            static_cast<std::uint16_t>(rows), 0, static_cast<std::int16_t>(top), 0, m_depth,
            rowBytes * static_cast<std::uint32_t>(rows), image.constScanLine(top));
    }
    return pixmap;
}

void X11Canvas::forget(Layer& layer)
{
    for (const auto& [key, pixmap] : layer.pixmaps)
        xcb_free_pixmap(m_connection, pixmap);
    layer.pixmaps.clear();
}

} // namespace zelvano
