#include "companions/RangeBarAccessible.h"

#include "companions/CRangeBar.h"

#include <QAccessibleWidget>

namespace {

class RangeBarAccessible : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit RangeBarAccessible(CRangeBar *bar) : QAccessibleWidget(bar, QAccessible::Slider) {}

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Description || t == QAccessible::Value)
            return bar()->FormatValue(bar()->GetWinMin()) + QStringLiteral(" – ") +
                   bar()->FormatValue(bar()->GetWinMax());
        return QAccessibleWidget::text(t);
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QVariant currentValue() const override { return bar()->GetWinMin(); }
    // The window is moved with the pointer and the wheel, not through assistive technology.
    void setCurrentValue(const QVariant &) override {}
    QVariant maximumValue() const override { return bar()->GetMax(); }
    QVariant minimumValue() const override { return bar()->GetMin(); }
    QVariant minimumStepSize() const override { return 1; }

private:
    CRangeBar *bar() const { return static_cast<CRangeBar *>(widget()); }
};

} // namespace

QAccessibleInterface *RangeBarAccessibleFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String(CRangeBar::staticMetaObject.className()) && object != nullptr &&
        object->isWidgetType())
        return new RangeBarAccessible(static_cast<CRangeBar *>(object));
    return nullptr;
}
