#include "platform/listview.h"

#include "platform/runtime.h"
#include "platform/twips.h"

#include <QHeaderView>

namespace velmora {

void ListItem::setText(const QString &text)
{
    if (m_item)
        m_item->setText(0, text);
}

QString ListItem::text() const
{
    return m_item ? m_item->text(0) : QString();
}

int ListItem::checkedColumn(int index) const
{
    const int columns = m_item && m_item->treeWidget() ? m_item->treeWidget()->columnCount() : 0;
    if (index < 1 || index >= columns)
        throw RuntimeError(Failure::of(FailureNumber::SubscriptOutOfRange));
    return index;
}

void ListItem::setSubItem(int index, const QString &text)
{
    m_item->setText(checkedColumn(index), text);
}

QString ListItem::subItem(int index) const
{
    return m_item->text(checkedColumn(index));
}

ListView::ListView(QWidget *parent)
    : QTreeWidget(parent)
{
    setColumnCount(0);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setSortingEnabled(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(true);
    setUniformRowHeights(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    header()->setSectionsClickable(false);
}

void ListView::addColumn(const QString &key, const QString &header, int widthTwips, Qt::Alignment alignment)
{
    const int column = int(m_columnKeys.size());
    m_columnKeys.append(key);
    setColumnCount(column + 1);
    QTreeWidgetItem *headings = headerItem();
    headings->setText(column, header);
    headings->setTextAlignment(column, alignment | Qt::AlignVCenter);
    setColumnWidth(column, Twips::toPixelsX(widthTwips));
    m_alignments.append(alignment | Qt::AlignVCenter);
}

ListItem ListView::add()
{
    auto *row = new QTreeWidgetItem(this);
    row->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren);
    for (int column = 0; column < m_alignments.size(); ++column)
        row->setTextAlignment(column, m_alignments.at(column));
    return ListItem(row);
}

ListItem ListView::item(int row) const
{
    return ListItem(topLevelItem(row));
}

} // namespace velmora
