#pragma once

class QWidget;

namespace zelvano {

// Centres a top-level window, title bar and frame included, over owner (or, without one, in the
// primary screen's available area) and keeps it inside that area. A window manager's frame is
// known only once the window is mapped, so the window is placed by its own size now and placed
// again, once, when its frame first appears.
void centreWindow(QWidget& window, const QWidget* owner = nullptr);

} // namespace zelvano
