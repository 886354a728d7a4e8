#pragma once

#include <QHash>
#include <QString>

#include <functional>
#include <span>
#include <string_view>

class QWidget;

namespace velmora {

// A font of a window's design: face, size in points, weight.
struct FontDesign final
{
    std::u16string_view face;
    double points = 0;
    bool bold = false;
};

enum class ControlKind {
    Label,    // a caption that wraps at its width, from the top left
    Button,   // a push button; Enter presses it only when it has the focus (see Form)
    ListBox,  // single selection, not sorted
    Frame,    // a sunken box without caption
    Picture,  // an image, no focus
    ListView, // report view with keyed columns
    Custom,   // made by the window itself (see buildDesign)
};

// One line of a window's design table: a control, its kind and caption,
// its box in twips in the window's coordinates, its tab index (-1: none)
// and its font (none: the window's). A control inside another control of
// the table names it as its container; its box stays in the window's
// coordinates.
struct ControlDesign final
{
    ControlKind kind;
    std::u16string_view name;
    std::u16string_view caption;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int tabIndex = -1;
    const FontDesign *font = nullptr;
    std::u16string_view container = {};
};

// The controls a design built, by name.
class DesignedControls final
{
public:
    QWidget *widget(std::u16string_view name) const;
    template <class W> W *get(std::u16string_view name) const
    {
        auto *control = qobject_cast<W *>(widget(name));
        Q_ASSERT_X(control, "DesignedControls::get", "a control of another kind or not in the design");
        return control;
    }

private:
    friend DesignedControls buildDesign(QWidget *, std::span<const ControlDesign>,
                                        const std::function<QWidget *(const ControlDesign &, QWidget *)> &);
    QHash<QString, QWidget *> m_controls;
};

// Turns a design table into the window's controls, in the table's order:
// each made (Custom ones by `custom`, given the row and the parent), named,
// given its caption and font and placed; then the controls that take the
// focus are chained in the order of their tab indices.
DesignedControls buildDesign(QWidget *window, std::span<const ControlDesign> design,
                             const std::function<QWidget *(const ControlDesign &, QWidget *)> &custom = {});

} // namespace velmora
