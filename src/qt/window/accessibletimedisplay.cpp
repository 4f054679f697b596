#include "qt/window/accessibletimedisplay.h"

#include <QAccessibleWidget>
#include <QWidget>

#include "core/texts.h"

namespace zelvano {

namespace {

    // A read-only text field with nothing selectable and no cursor. What the field paints its text
    // on is no control of its own, so the field has no children.
    class AccessibleTimeDisplay final : public QAccessibleWidget, public QAccessibleTextInterface
    {
    public:
        AccessibleTimeDisplay(QWidget* widget, const TimeField* field)
            : QAccessibleWidget(widget, QAccessible::EditableText)
            , m_field(field)
        { }

        QAccessible::State state() const override
        {
            QAccessible::State state = QAccessibleWidget::state();
            state.readOnly = true;
            return state;
        }

        // The time as its value; how far the talk has gone by the bells as its description,
        // whether or not the digits show it in colour.
        QString text(QAccessible::Text kind) const override
        {
            if (kind == QAccessible::Value)
                return m_field->text();
            if (kind == QAccessible::Description)
                return phaseDescription();
            return QAccessibleWidget::text(kind);
        }

        int childCount() const override { return 0; }
        QAccessibleInterface* child(int) const override { return nullptr; }
        int indexOfChild(const QAccessibleInterface*) const override { return -1; }
        QAccessibleInterface* childAt(int, int) const override { return nullptr; }

        void* interface_cast(QAccessible::InterfaceType type) override
        {
            if (type == QAccessible::TextInterface)
                return static_cast<QAccessibleTextInterface*>(this);
            return QAccessibleWidget::interface_cast(type);
        }

        // QAccessibleTextInterface
        void selection(int, int* startOffset, int* endOffset) const override
        {
            *startOffset = *endOffset = 0;
        }
        int selectionCount() const override { return 0; }
        void addSelection(int, int) override { }
        void removeSelection(int) override { }
        void setSelection(int, int, int) override { }
        int cursorPosition() const override { return 0; }
        void setCursorPosition(int) override { }

        QString text(int startOffset, int endOffset) const override
        {
            const QString shown = m_field->text();
            if (endOffset < 0 || endOffset > shown.size())
                endOffset = static_cast<int>(shown.size());
            if (startOffset < 0 || startOffset >= endOffset)
                return {};
            return shown.mid(startOffset, endOffset - startOffset);
        }

        int characterCount() const override { return static_cast<int>(m_field->text().size()); }

        QRect characterRect(int offset) const override
        {
            return m_field->characterRectOnScreen(offset);
        }

        int offsetAtPoint(const QPoint&) const override { return -1; }
        void scrollToSubstring(int, int) override { }

        QString attributes(int offset, int* startOffset, int* endOffset) const override
        {
            *startOffset = *endOffset = offset;
            return {};
        }

    private:
        QString phaseDescription() const
        {
            return QString::fromUtf8(
                texts::bellPhaseDescriptions.at(static_cast<std::size_t>(m_field->bellPhase())));
        }

        const TimeField* m_field;
    };

    QAccessibleInterface* accessibleTimeDisplay(const QString&, QObject* object)
    {
        auto* widget = qobject_cast<QWidget*>(object);
        if (const auto* field = dynamic_cast<const TimeField*>(widget))
            return new AccessibleTimeDisplay(widget, field);
        return nullptr;
    }

} // namespace

void installAccessibleTimeDisplay()
{
    static const bool installed = (QAccessible::installFactory(accessibleTimeDisplay), true);
    Q_UNUSED(installed);
}

void announceTimeChange(
    QWidget& widget, const TimeField& field, const QString& textBefore, int phaseBefore)
{
    if (!QAccessible::isActive())
        return;
    if (field.text() != textBefore) {
        QAccessibleTextUpdateEvent event(&widget, 0, textBefore, field.text());
        QAccessible::updateAccessibility(&event);
    }
    if (field.bellPhase() != phaseBefore) {
        QAccessibleEvent event(&widget, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&event);
    }
}

} // namespace zelvano
