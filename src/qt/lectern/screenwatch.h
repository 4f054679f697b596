#pragma once

#include <vector>

#include <QObject>
#include <QTimer>

#include "lectern/speakerscreen.h"

class QScreen;
class QWidget;

namespace zelvano {

// Says when the place of the speaker's view may have to change: a screen was added or removed,
// changed its size or its scale, or the main window moved or changed its size. Changes that come
// together, as when a monitor is unplugged, make one signal once Qt has moved its windows; the main
// window's moves make one once they have stopped for a moment, so that a window dragged across the
// edge of two screens is judged where it is dropped, not where it passed.
class ScreenWatch final : public QObject
{
    Q_OBJECT

public:
    ScreenWatch(QWidget& mainWindow, QObject* parent);

    // The screens in the order of QGuiApplication::screens(), and a window's frame, as the
    // portable rules take them.
    static std::vector<Screen> screens();
    static PixelRect frame(const QWidget& window);

signals:
    void changed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watch(QScreen* screen);

    QTimer m_settle;
    QTimer m_moveSettle;
};

} // namespace zelvano
