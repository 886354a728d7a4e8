#include "platform/desktop.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QWidget>

#include <cstdlib>

using namespace Qt::StringLiterals;

namespace velmora {
namespace {

QWidget *dialogParent()
{
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

std::optional<QString> runFileDialog(const FileDialogRequest &request, QFileDialog::AcceptMode mode)
{
    QFileDialog dialog(dialogParent(), request.title);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails, true);
    const QStringList filters = qtNameFilters(request.filter);
    if (!filters.isEmpty())
        dialog.setNameFilters(filters);
    if (!request.fileName.isEmpty()) {
        const QFileInfo preset(request.fileName);
        if (preset.isAbsolute()) {
            dialog.setDirectory(preset.absolutePath());
            dialog.selectFile(preset.fileName());
        } else {
            dialog.selectFile(request.fileName);
        }
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

} // namespace

QString literalTitle(const QString &title)
{
    // An even run of placeholders is left alone, then each pair shown as one.
    return QString(title).replace("[*]"_L1, "[*][*]"_L1);
}

QStringList qtNameFilters(const QString &filter)
{
    QStringList result;
    const QStringList parts = filter.split(u'|');
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns;
        for (const QString &pattern : parts.at(i + 1).split(u';', Qt::SkipEmptyParts)) {
            const QString trimmed = pattern.trimmed();
            if (!trimmed.isEmpty())
                patterns << (trimmed == "*.*"_L1 ? u"*"_s : trimmed);
        }
        if (!patterns.isEmpty())
            result << parts.at(i) + " ("_L1 + patterns.join(u' ') + u')';
    }
    return result;
}

MsgAnswer QtDesktop::msgBox(const MsgBoxRequest &request)
{
    QMessageBox box(dialogParent());
    box.setWindowTitle(literalTitle(request.title));
    box.setTextFormat(Qt::PlainText);
    box.setText(request.text);
    switch (request.icon) {
    case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
    case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
    case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
    }
    if (request.buttons == MsgButtons::YesNo) {
        QPushButton *yes = box.addButton(u"Да"_s, QMessageBox::YesRole);
        QPushButton *no = box.addButton(u"Нет"_s, QMessageBox::NoRole);
        box.setDefaultButton(yes);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes ? MsgAnswer::Yes : MsgAnswer::No;
    }
    // Enter and Esc close it, wherever the focus went.
    QPushButton *ok = box.addButton(QMessageBox::Ok);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
    return MsgAnswer::Ok;
}

std::optional<QString> QtDesktop::openFileDialog(const FileDialogRequest &request)
{
    return runFileDialog(request, QFileDialog::AcceptOpen);
}

std::optional<QString> QtDesktop::saveFileDialog(const FileDialogRequest &request)
{
    return runFileDialog(request, QFileDialog::AcceptSave);
}

void QtDesktop::beep()
{
    QApplication::beep();
}

void QtDesktop::endProcess(int exitCode)
{
    // Nothing more may run: no event, no further handler.
    for (QWidget *window : QApplication::topLevelWidgets())
        window->hide();
    std::exit(exitCode);
}

} // namespace velmora
