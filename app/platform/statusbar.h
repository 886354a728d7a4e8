#pragma once

#include <QLabel>
#include <QList>
#include <QPixmap>
#include <QStatusBar>
#include <QTime>

#include <functional>

class QTimer;

namespace velmora {

enum class PanelStyle { Text, Time };
enum class PanelAutoSize {
    None,     // the design width, fixed
    Spring,   // the width the other panels leave, never below the minimum
    Contents, // fits its text, never below the minimum
};
enum class PanelBevel { None, Inset, Raised };

// One panel as its window lays it out; widths in twips.
struct PanelDesign final
{
    QString key;
    PanelStyle style = PanelStyle::Text;
    int widthTwips = 1440;
    int minWidthTwips = 0;
    PanelAutoSize autoSize = PanelAutoSize::None;
    Qt::Alignment alignment = Qt::AlignLeft;
    PanelBevel bevel = PanelBevel::Inset;
};

// A panel of the status bar: a label found by its key. A text panel may
// carry a picture, shown at its left with the text after it. A screen
// reader reads the panel's text (a label's accessible name is its text
// while no other name is set), so it stays current with every change.
class Panel final : public QLabel
{
    Q_OBJECT
public:
    Panel(const PanelDesign &design, QWidget *parent);

    const QString &key() const { return m_design.key; }
    PanelStyle style() const { return m_design.style; }
    PanelAutoSize autoSize() const { return m_design.autoSize; }

    void setPicture(const QPixmap &picture);
    QPixmap picture() const { return m_picture; }

    // A clock panel reads the time of day here (tests give their own).
    void setClock(std::function<QTime()> clock);
    // The clock panel's text for a time: hours without a leading zero.
    static QString clockText(QTime time);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void showTime();
    double pictureScale() const;
    QRect pictureRect() const;

    PanelDesign m_design;
    QPixmap m_picture;
    std::function<QTime()> m_clock;
    QTimer *m_minuteTimer = nullptr;
};

// The status bar with keyed panels, left to right in the order added.
// The window docks it at its bottom edge at its natural height.
class StatusBar final : public QStatusBar
{
    Q_OBJECT
public:
    explicit StatusBar(QWidget *parent = nullptr);

    Panel *addPanel(const PanelDesign &design);
    // nullptr for a key no panel has.
    Panel *panel(const QString &key) const;
    Panel *panelAt(int index) const { return m_panels.value(index); }
    QList<Panel *> panels() const { return m_panels; }
    int heightTwips() const;

private:
    QList<Panel *> m_panels;
};

} // namespace velmora
