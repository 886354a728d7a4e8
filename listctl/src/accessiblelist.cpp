#include "accessiblelist.h"

#include "linelabel.h"
#include "mycontrol.h"

#include <QAccessibleWidget>

namespace tabulo {

namespace {

// The control as a list. The control is asked for through qobject_cast, so
// a control half taken down reads as an empty list.
class AccessibleList final : public QAccessibleWidget
{
public:
    explicit AccessibleList(myControl *control) : QAccessibleWidget(control, QAccessible::List) {}

    int childCount() const override
    {
        const myControl *c = control();
        return c ? c->model().lineCount() : 0;
    }
    QAccessibleInterface *child(int index) const override
    {
        const myControl *c = control();
        if (!c || index < 0 || index >= childCount())
            return nullptr;
        return QAccessible::queryAccessibleInterface(c->lblData(index + 1));
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        const myControl *c = control();
        const auto *label = child ? qobject_cast<const LineLabel *>(child->object()) : nullptr;
        if (!c || !label || label->kind() != LineLabel::Kind::Text || label->index() > childCount()
            || c->lblData(label->index()) != label)
            return -1;
        return label->index() - 1;
    }
    QAccessibleInterface *focusChild() const override { return nullptr; } // the lines take no focus

private:
    myControl *control() const { return qobject_cast<myControl *>(object()); }
};

// One shown line: its name is the text label's accessible name; it is
// selected while highlighted.
class AccessibleLine final : public QAccessibleWidget
{
public:
    explicit AccessibleLine(LineLabel *label) : QAccessibleWidget(label, QAccessible::ListItem) {}

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.selectable = true;
        const auto *label = qobject_cast<const LineLabel *>(object());
        const auto *c = label ? qobject_cast<const myControl *>(label->parentWidget()) : nullptr;
        s.selected = c && c->model().LineSelected(label->index());
        return s;
    }
};

QAccessibleInterface *accessibleFactory(const QString &key, QObject *object)
{
    if (key == QLatin1String(myControl::staticMetaObject.className())) {
        if (auto *control = qobject_cast<myControl *>(object))
            return new AccessibleList(control);
    } else if (key == QLatin1String(LineLabel::staticMetaObject.className())) {
        auto *label = qobject_cast<LineLabel *>(object);
        if (label && label->kind() == LineLabel::Kind::Text && qobject_cast<myControl *>(label->parentWidget()))
            return new AccessibleLine(label);
    }
    return nullptr;
}

} // namespace

void installAccessibleList()
{
    QAccessible::installFactory(&accessibleFactory);
}

} // namespace tabulo
