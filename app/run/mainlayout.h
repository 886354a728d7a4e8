#pragma once

#include <QObject>

namespace velmora {

namespace MainWindow {
Q_NAMESPACE
// The main window's controls, by their names in its design. The layout
// pass places or reads all of them but the status bar, which the window
// keeps docked at the bottom itself.
enum class Control { lblZadZ, lblZad, cmdGotovo, cmdChangeTest, cmdExit, cmdHelp, txtChange, lblChange, myControl1, sbr };
Q_ENUM_NS(Control)
} // namespace MainWindow

using MainControl = MainWindow::Control;

// The main window as the layout pass sees it, in twips. Every read is of
// the window as it is at that moment: setting the outer size may resize
// the window at once (and run a nested pass), and a label's height follows
// its width (auto-size with word wrap).
class MainLayoutHost
{
public:
    virtual ~MainLayoutHost() = default;

    virtual bool isMinimized() const = 0;
    virtual double scaleWidth() const = 0;  // W, the client width
    virtual double scaleHeight() const = 0; // H, the client height
    virtual double outerWidth() const = 0;
    virtual double outerHeight() const = 0;
    virtual void setOuterWidth(double twips) = 0;
    virtual void setOuterHeight(double twips) = 0;

    virtual double left(MainControl control) const = 0;
    virtual double top(MainControl control) const = 0;
    virtual double width(MainControl control) const = 0;
    virtual double height(MainControl control) const = 0; // of sbr: S
    virtual void setLeft(MainControl control, double twips) = 0;
    virtual void setTop(MainControl control, double twips) = 0;
    virtual void setWidth(MainControl control, double twips) = 0;
    // Moves and sizes at once (the list control's Move).
    virtual void move(MainControl control, double left, double top, double width, double height) = 0;

    virtual qint16 MaxLbl() const = 0; // lines the list control shows
};

// Rounds to the nearest whole number, a tie to the even one.
double roundHalfEven(double value);

// The main window's layout pass: the task text beside its caption, the
// right-hand column of buttons and the move box, the list control filling
// the rest, and the minimum height (405 twips a line) and width.
void layoutMainWindow(MainLayoutHost &host);

} // namespace velmora
