#pragma once

#include "platform/core/product.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace velmora {


enum class MsgButtons { Ok, YesNo };
enum class MsgIcon { None, Critical, Question, Information };
enum class MsgAnswer { Ok, Yes, No };

struct MsgBoxRequest final
{
    QString text;
    QString title = AppTitle;
    MsgButtons buttons = MsgButtons::Ok;
    MsgIcon icon = MsgIcon::None;
};

// A file dialog as a window asks for it: the filter as "description|pattern"
// pairs exactly as written, the dialog title, and the preset file name.
struct FileDialogRequest final
{
    QString filter;
    QString title;
    QString fileName;
};

// What the program asks of the person at the screen, and the end of the
// process. The program talks to this seam only; tests answer it without a
// person (and without ending the test process).
class Desktop
{
public:
    Desktop() = default;
    virtual ~Desktop() = default;
    Desktop(const Desktop &) = delete;
    Desktop &operator=(const Desktop &) = delete;

    virtual MsgAnswer msgBox(const MsgBoxRequest &request) = 0;
    // The chosen path, or nullopt when the person cancelled.
    virtual std::optional<QString> openFileDialog(const FileDialogRequest &request) = 0;
    virtual std::optional<QString> saveFileDialog(const FileDialogRequest &request) = 0;
    virtual void beep() = 0;
    // Ends the process at once: no further event runs. A test's Desktop
    // records the end and returns; callers return right after calling it.
    virtual void endProcess(int exitCode) = 0;
};

// A window or message box title shown as written: Qt reads "[*]" in a
// title as the place of its mark for unsaved changes and drops it.
QString literalTitle(const QString &title);

// Turns a "description|pattern|description|pattern" filter into Qt name
// filters. The description is shown exactly as written; the patterns are
// matched with surrounding spaces removed, and "*.*" matches every file
// as it does on the platform the tests were first written on.
QStringList qtNameFilters(const QString &filter);

// The real thing: QMessageBox, QFileDialog, the system beep, std::exit.
// A message's text is plain text, shown as written: it may carry a test's
// title or a file's name.
class QtDesktop final : public Desktop
{
public:
    MsgAnswer msgBox(const MsgBoxRequest &request) override;
    std::optional<QString> openFileDialog(const FileDialogRequest &request) override;
    std::optional<QString> saveFileDialog(const FileDialogRequest &request) override;
    void beep() override;
    [[noreturn]] void endProcess(int exitCode) override;
};

} // namespace velmora
