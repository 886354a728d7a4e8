#pragma once

#include <QHash>
#include <QMetaEnum>
#include <QString>

#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

class QFont;
class QLabel;
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

// A font of the windows: face, size in points, weight. The face is asked
// for first; a face missing on the machine falls back through the font
// system.
QFont designFont(const QString &family, double pointSize, bool bold);

// A label of a design: its caption wraps at its width, from the top left,
// and is plain text, shown as written.
QLabel *designLabel(QWidget *parent, const QString &name, const QString &caption);

// One line of a window's design table: a control, its kind and caption,
// its box in twips in the window's coordinates, its tab index (-1: none)
// and its font (none: the window's). A control inside another control of
// the table names it as its container; its box stays in the window's
// coordinates.
//
// Controls are named by the enumerators of the window's own enum of its
// controls, registered with Q_ENUM (Q_ENUM_NS): a name the window does not
// have does not compile, and the enumerator's name is the control's object
// name ("cmdGotovo").
template <class Control>
struct ControlDesign final
{
    static_assert(std::is_enum_v<Control>, "a window's controls are an enum of their names");

    ControlKind kind;
    Control control;
    std::u16string_view caption;
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    int tabIndex = -1;
    const FontDesign *font = nullptr;
    std::optional<Control> container = std::nullopt;
};

// The controls a design built, by their enumerators.
template <class Control>
class DesignedControls final
{
public:
    QWidget *widget(Control control) const { return m_controls.value(control); }
    template <class W> W *get(Control control) const
    {
        auto *made = qobject_cast<W *>(widget(control));
        Q_ASSERT_X(made, "DesignedControls::get", "a control of another kind or not in the design");
        return made;
    }
    void insert(Control control, QWidget *made) { m_controls.insert(control, made); }

private:
    QHash<Control, QWidget *> m_controls;
};

// What buildDesign does with one row, whatever the window's enum: the
// control made (a Custom one is handed in), named, given its caption and
// font and placed; the controls that take the focus are then chained in
// the order of their tab indices.
class DesignBuilder final
{
public:
    struct Row final
    {
        ControlKind kind;
        QString name;
        std::u16string_view caption;
        int left;
        int top;
        int width;
        int height;
        int tabIndex;
        const FontDesign *font;
    };

    explicit DesignBuilder(QWidget *window) : m_window(window) {}
    // The control of `row` inside `parent`; `custom` is what the window made
    // for a Custom row. nullptr for a Custom row without one.
    QWidget *add(const Row &row, QWidget *parent, QWidget *custom);
    void chainTabOrder();

private:
    QWidget *m_window;
    std::vector<std::pair<int, QWidget *>> m_tabOrder;
};

// Turns a design table into the window's controls, in the table's order
// (Custom ones made by `custom`, given the control and its parent).
template <class Control, std::size_t N>
DesignedControls<Control>
buildDesign(QWidget *window, const ControlDesign<Control> (&design)[N],
            const std::type_identity_t<std::function<QWidget *(Control, QWidget *)>> &custom = {})
{
    const QMetaEnum names = QMetaEnum::fromType<Control>();
    DesignBuilder builder(window);
    DesignedControls<Control> built;
    for (const ControlDesign<Control> &row : design) {
        QWidget *parent = row.container ? built.widget(*row.container) : window;
        Q_ASSERT_X(parent, "buildDesign", "a container comes before what it holds");
        QWidget *made = row.kind == ControlKind::Custom && custom ? custom(row.control, parent) : nullptr;
        const QString name = QString::fromLatin1(names.valueToKey(int(row.control)));
        const DesignBuilder::Row plain{row.kind, name, row.caption, row.left, row.top,
                                       row.width, row.height, row.tabIndex, row.font};
        if (QWidget *control = builder.add(plain, parent, made))
            built.insert(row.control, control);
    }
    builder.chainTabOrder();
    return built;
}

} // namespace velmora
