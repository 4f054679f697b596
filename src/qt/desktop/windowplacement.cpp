#include "qt/desktop/windowplacement.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <utility>

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace zelvano {

namespace {

    // Nothing while screens are being added or removed and none is there to place on.
    std::optional<QRect> availableArea(const QWidget* owner)
    {
        const QScreen* screen = owner ? owner->screen() : nullptr;
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        if (!screen)
            return std::nullopt;
        return screen->availableGeometry();
    }

    // Where the frame's top left goes, which is what moving a top-level window sets.
    QPoint centredPosition(const QSize& frame, const QRect& over, const QRect& area)
    {
        QRect placed(QPoint(0, 0), frame);
        placed.moveCenter(over.center());
        placed.moveLeft(std::clamp(
            placed.left(), area.left(), std::max(area.left(), area.right() + 1 - frame.width())));
        placed.moveTop(std::clamp(
            placed.top(), area.top(), std::max(area.top(), area.bottom() + 1 - frame.height())));
        return placed.topLeft();
    }

    void place(QWidget& window, const QWidget* owner)
    {
        const std::optional<QRect> area = availableArea(owner);
        if (!area)
            return;
        window.move(centredPosition(
            window.frameGeometry().size(), owner ? owner->frameGeometry() : *area, *area));
    }

    // Places the window once more when the window manager has framed it: Qt learns the frame's
    // size when the framed window reports its first move. One placement waits per window; a
    // later one replaces it.
    class PlaceWhenFramed final : public QObject
    {
    public:
        PlaceWhenFramed(QWidget& window, std::function<void(QWidget&)> placement)
            : QObject(&window)
            , m_placement(std::move(placement))
        {
            static const QString name = QStringLiteral("zelvano-place-when-framed");
            delete window.findChild<QObject*>(name, Qt::FindDirectChildrenOnly);
            setObjectName(name);
            window.installEventFilter(this);
        }

        bool eventFilter(QObject* watched, QEvent* event) override
        {
            auto* window = static_cast<QWidget*>(watched);
            if (event->type() == QEvent::Move && window->frameGeometry() != window->geometry()) {
                window->removeEventFilter(this);
                m_placement(*window);
                deleteLater();
            }
            return false;
        }

    private:
        std::function<void(QWidget&)> m_placement;
    };

} // namespace

void centreWindow(QWidget& window, const QWidget* owner)
{
    place(window, owner);
    new PlaceWhenFramed(window, [owner](QWidget& framed) { place(framed, owner); });
}

void restoreFramePosition(QWidget& window, const QPoint& framePosition)
{
    window.move(framePosition);
    new PlaceWhenFramed(window, [framePosition](QWidget& framed) { framed.move(framePosition); });
}

} // namespace zelvano
