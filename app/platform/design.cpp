#include "platform/design.h"

#include "platform/listview.h"
#include "platform/twips.h"

#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>
#include <vector>

namespace velmora {

namespace {

QString text(std::u16string_view view)
{
    return QString(reinterpret_cast<const QChar *>(view.data()), qsizetype(view.size()));
}

QWidget *make(const ControlDesign &row, QWidget *parent)
{
    switch (row.kind) {
    case ControlKind::Label:
        return designLabel(parent, text(row.name), text(row.caption));
    case ControlKind::Button: {
        auto *button = new QPushButton(text(row.caption), parent);
        button->setAutoDefault(false); // Enter on the focused button: see Form
        return button;
    }
    case ControlKind::ListBox: {
        auto *list = new QListWidget(parent);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        list->setSortingEnabled(false);
        return list;
    }
    case ControlKind::Frame: {
        auto *frame = new QFrame(parent);
        frame->setFrameShape(QFrame::Box);
        frame->setFrameShadow(QFrame::Sunken);
        return frame;
    }
    case ControlKind::Picture: {
        auto *picture = new QLabel(parent);
        picture->setTextFormat(Qt::PlainText);
        picture->setFocusPolicy(Qt::NoFocus);
        picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return picture;
    }
    case ControlKind::ListView:
        return new ListView(parent);
    case ControlKind::Custom:
        break;
    }
    return nullptr;
}

} // namespace

QWidget *DesignedControls::widget(std::u16string_view name) const
{
    return m_controls.value(text(name));
}

DesignedControls buildDesign(QWidget *window, std::span<const ControlDesign> design,
                             const std::function<QWidget *(const ControlDesign &, QWidget *)> &custom)
{
    DesignedControls built;
    std::vector<std::pair<int, QWidget *>> tabOrder;
    for (const ControlDesign &row : design) {
        QWidget *parent = row.container.empty() ? window : built.widget(row.container);
        Q_ASSERT_X(parent, "buildDesign", "a container comes before what it holds");
        QWidget *control = row.kind == ControlKind::Custom ? (custom ? custom(row, parent) : nullptr) : make(row, parent);
        Q_ASSERT_X(control, "buildDesign", "a custom control without a maker");
        if (!control)
            continue;
        control->setObjectName(text(row.name));
        if (row.font)
            control->setFont(designFont(text(row.font->face), row.font->points, row.font->bold));
        Twips::place(control, row.left, row.top, row.width, row.height);
        if (parent != window)
            control->move(control->pos() - parent->mapTo(window, QPoint(0, 0)));
        built.m_controls.insert(control->objectName(), control);
        if (row.tabIndex >= 0 && control->focusPolicy() != Qt::NoFocus)
            tabOrder.emplace_back(row.tabIndex, control);
    }
    std::stable_sort(tabOrder.begin(), tabOrder.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    for (std::size_t i = 1; i < tabOrder.size(); ++i)
        QWidget::setTabOrder(tabOrder[i - 1].second, tabOrder[i].second);
    return built;
}

} // namespace velmora
