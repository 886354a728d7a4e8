#include "platform/design.h"

#include "platform/listview.h"
#include "platform/twips.h"

#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

#include <algorithm>

namespace velmora {

namespace {

QString text(std::u16string_view view)
{
    return QString(reinterpret_cast<const QChar *>(view.data()), qsizetype(view.size()));
}

QWidget *make(ControlKind kind, const QString &name, const QString &caption, QWidget *parent)
{
    switch (kind) {
    case ControlKind::Label:
        return designLabel(parent, name, caption);
    case ControlKind::Button: {
        auto *button = new QPushButton(caption, parent);
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

QFont designFont(const QString &family, double pointSize, bool bold)
{
    QFont font(family);
    font.setPointSizeF(pointSize);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

QLabel *designLabel(QWidget *parent, const QString &name, const QString &caption)
{
    auto *label = new QLabel(parent);
    // A caption may carry a teacher's text: shown as written, never read as markup.
    label->setTextFormat(Qt::PlainText);
    label->setText(caption);
    label->setObjectName(name);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QWidget *DesignBuilder::add(const Row &row, QWidget *parent, QWidget *custom)
{
    QWidget *control = row.kind == ControlKind::Custom ? custom : make(row.kind, row.name, text(row.caption), parent);
    Q_ASSERT_X(control, "buildDesign", "a custom control without a maker");
    if (!control)
        return nullptr;
    control->setObjectName(row.name);
    if (row.font)
        control->setFont(designFont(text(row.font->face), row.font->points, row.font->bold));
    Twips::place(control, row.left, row.top, row.width, row.height);
    if (parent != m_window)
        control->move(control->pos() - parent->mapTo(m_window, QPoint(0, 0)));
    if (row.tabIndex >= 0 && control->focusPolicy() != Qt::NoFocus)
        m_tabOrder.emplace_back(row.tabIndex, control);
    return control;
}

void DesignBuilder::chainTabOrder()
{
    std::stable_sort(m_tabOrder.begin(), m_tabOrder.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    for (std::size_t i = 1; i < m_tabOrder.size(); ++i)
        QWidget::setTabOrder(m_tabOrder[i - 1].second, m_tabOrder[i].second);
}

} // namespace velmora
