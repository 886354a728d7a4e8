#pragma once

#include <QStringList>
#include <QTreeWidget>

namespace velmora {

// One row of a list view: its text (first column) and its sub-items (the
// columns after it, from 1). A handle to a row the view owns; it stays
// valid while the row is in the view.
class ListItem final
{
public:
    ListItem() = default;

    bool isNull() const { return m_item == nullptr; }
    void setText(const QString &text);
    QString text() const;
    // Sub-item i is column i; indices outside 1 .. columns - 1 are refused
    // with a run-time failure (9, subscript out of range).
    void setSubItem(int index, const QString &text);
    QString subItem(int index) const;

private:
    friend class ListView;
    explicit ListItem(QTreeWidgetItem *item)
        : m_item(item)
    {
    }
    int checkedColumn(int index) const;

    QTreeWidgetItem *m_item = nullptr;
};

// A list view in report view: keyed columns with headers, rows in the
// order added, no sorting, no editing, a vertical scroll bar as needed.
// Screen readers read its cells as a table; give the view an accessible
// name where the window has no caption label for it.
class ListView final : public QTreeWidget
{
    Q_OBJECT
public:
    explicit ListView(QWidget *parent = nullptr);

    void addColumn(const QString &key, const QString &header, int widthTwips,
                   Qt::Alignment alignment = Qt::AlignLeft);
    // -1 for a key no column has.
    int columnIndex(const QString &key) const { return int(m_columnKeys.indexOf(key)); }

    // A new row at the end.
    ListItem add();
    ListItem item(int row) const;
    int rowCount() const { return topLevelItemCount(); }

private:
    QStringList m_columnKeys;
    QList<Qt::Alignment> m_alignments;
};

} // namespace velmora
