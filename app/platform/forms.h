#pragma once

#include <QAbstractButton>
#include <QDialog>
#include <QList>
#include <QPointer>

#include <functional>
#include <memory>
#include <typeindex>
#include <typeinfo>
#include <unordered_map>

namespace velmora {

class Forms;

// Why a window is being unloaded, as its close question receives it.
enum class UnloadMode {
    ControlMenu = 0, // the user closed it (title-bar button, system close key)
    Code = 1,        // the program's own code unloaded it
    AppWindows = 2,  // the session is ending
};

// One window of the program. A window is *loaded* on first use — its
// design is built in the constructor, then Form_Load runs before it is
// first shown — and stays loaded, shown or hidden, until it is unloaded;
// loading it again builds it afresh. The registry (Forms) owns it.
class Form : public QDialog
{
    Q_OBJECT
public:
    explicit Form(Forms &forms);
    ~Form() override;

    Forms &forms() const { return m_forms; }

    // Shows the window modeless (loading it first when needed).
    void showModeless();
    // Shows the window modal: returns when it has been hidden or unloaded.
    void showModal();
    // Unloads this window on the program's behalf (close reason Code).
    // Returns false when the window's close question refused.
    bool unloadMe();

    // The window's caption, shown as written (a test's title may be part of it).
    void setCaption(const QString &text);

    // The window's design helpers: geometry is given in twips.
    void setClientSizeTwips(int width, int height);
    void centreOnScreen();
    // The button that Esc presses (Enter presses the default button).
    void setCancelButton(QAbstractButton *button) { m_cancelButton = button; }
    // The button Enter presses when the focus is not on a button.
    void setDefaultButton(QAbstractButton *button) { m_defaultButton = button; }
    // Key preview: the key events of every control of the window reach the
    // window's key handlers first, whichever control has the focus.
    void setKeyPreview(bool on);
    bool keyPreview() const { return m_keyPreview != nullptr; }

    // Event handlers a window overrides, named after the window and the event.
    virtual void Form_Load() {}
    // Return false to keep the window loaded.
    virtual bool Form_QueryUnload(UnloadMode) { return true; }
    virtual void Form_Unload() {}
    virtual void Form_Activate() {}
    // Runs on every resize and on every change between minimized, maximized
    // and normal (the handler tests isMinimized() itself).
    virtual void Form_Resize() {}
    // A key went down / came up: its virtual-key code and the modifier
    // state (Shift 1 + Ctrl 2 + Alt 4). See virtualKeyCode().
    virtual void Form_KeyDown(int /*KeyCode*/, int /*Shift*/) {}
    virtual void Form_KeyUp(int /*KeyCode*/, int /*Shift*/) {}
    // A key typed a character (Backspace 8, Enter 13, Esc 27, else its
    // code): 0 swallows it, another code types that character instead.
    virtual void Form_KeyPress(int & /*KeyAscii*/) {}

Q_SIGNALS:
    void hiddenOrUnloaded();

protected:
    void closeEvent(QCloseEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void reject() override; // Esc
    void done(int) override {} // a window closes only by unloading

private:
    friend class Forms;
    class KeyPreview;
    // The window's key handlers for one event; true when it is swallowed.
    bool runKeyHandlers(QObject *receiver, QKeyEvent *event);

    Forms &m_forms;
    QPointer<QAbstractButton> m_cancelButton;
    QPointer<QAbstractButton> m_defaultButton;
    bool m_unloading = false;
    KeyPreview *m_keyPreview = nullptr; // a child object while preview is on
};

// The registry of the program's windows: who is loaded, how each is built,
// and the end of the program when no window is left loaded (a hidden but
// loaded window keeps the program alive).
//
// A window is named by its class, `forms.load<frmMain>()`: a name nobody
// declared does not compile. The class need only be declared where the
// window is named; where it is no more than that, the caller takes the
// window as a Form (or as an interface it implements) with a second
// argument: `forms.load<frmMain, Form>()`. Whatever the factory of a class
// makes is that class's window; a window of another class than the one
// asked for (a test's stand-in) comes back as nullptr when asked for as
// its own class, so a caller that needs no more than a Form asks for one.
class Forms final : public QObject
{
    Q_OBJECT
public:
    using Factory = std::function<std::unique_ptr<Form>(Forms &)>;

    // Held keys press no button of any window from here on (HeldKeyFilter).
    Forms();
    ~Forms() override;

    template <class F> void define(Factory factory) { define(key<F>(), std::move(factory)); }
    template <class F> bool isDefined() const { return m_factories.contains(key<F>()); }

    // The loaded window F, loading it first (design, then Form_Load) when it
    // is not. nullptr for a window nobody defined, or when the window
    // unloaded itself or the program ended during its load.
    template <class F, class As = F> As *load() { return as<As>(load(key<F>())); }
    template <class F, class As = F> As *loaded() const { return as<As>(loaded(key<F>())); }
    template <class F> bool isLoaded() const { return m_loaded.contains(key<F>()); }
    bool isLoaded(const Form *form) const;
    int loadedCount() const { return int(m_loaded.size()); }
    QList<QPointer<Form>> loadedForms() const;

    // Unloads a window: its close question (with `mode`), its unload
    // handler, then it is hidden and destroyed once control returns to the
    // event loop. Unloading a window that is not loaded does nothing.
    bool unload(Form *form, UnloadMode mode = UnloadMode::Code);
    template <class F> bool unload(UnloadMode mode = UnloadMode::Code) { return unload(loaded(key<F>()), mode); }
    // Drops every window at once without asking: the program is ending.
    // From then on a modal show that was waiting unwinds its caller too.
    void unloadAllNow();
    bool ending() const { return m_ending; }

Q_SIGNALS:
    void lastUnloaded(); // no window is loaded any more: the program ends

private:
    // A window's class; typeid of a pointer takes a class that is only declared.
    using Key = std::type_index;
    template <class F> static Key key() { return Key(typeid(F *)); }
    template <class As> static As *as(Form *form) { return dynamic_cast<As *>(form); }

    void define(Key key, Factory factory);
    Form *load(Key key);
    Form *loaded(Key key) const;

    std::unordered_map<Key, Factory> m_factories;
    std::unordered_map<Key, QPointer<Form>> m_loaded;
    bool m_ending = false;
};

} // namespace velmora
