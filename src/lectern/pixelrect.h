#pragma once

namespace zelvano {

// A rectangle in pixels, of the desktop or of a window; right and bottom are exclusive.
struct PixelRect
{
    int x;
    int y;
    int width;
    int height;

    int right() const { return x + width; }
    int bottom() const { return y + height; }
    bool isEmpty() const { return width <= 0 || height <= 0; }
    bool intersects(const PixelRect& other) const
    {
        return x < other.right() && other.x < right() && y < other.bottom() && other.y < bottom();
    }

    friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

} // namespace zelvano
