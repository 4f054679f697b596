#pragma once

class QPoint;
class QWidget;

namespace zelvano {

// Centres a top-level window, title bar and frame included, over owner (or, without one, in the
// primary screen's available area) and keeps it inside that area. A window manager's frame is
// known only once the window is mapped, so the window is placed by its own size now and placed
// again, once, when its frame first appears.
void centreWindow(QWidget& window, const QWidget* owner = nullptr);

// Puts the frame of a window that is being shown again at framePosition, now and once more when
// the window manager has framed it: until then Qt takes the frame's place for the window's own.
void restoreFramePosition(QWidget& window, const QPoint& framePosition);

} // namespace zelvano
