#include "app/QtPrompts.h"

#include "app/CFileDaysDlg.h"
#include "resources/SettingsKeys.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QRegularExpression>
#include <QSettings>

namespace {

QMessageBox::Icon messageIcon(Prompts::Icon icon)
{
    switch (icon) {
    case Prompts::Icon::Information:
        return QMessageBox::Information;
    case Prompts::Icon::Exclamation:
        return QMessageBox::Warning;
    case Prompts::Icon::Question:
        return QMessageBox::Question;
    case Prompts::Icon::Stop:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons messageButtons(Prompts::Buttons buttons)
{
    switch (buttons) {
    case Prompts::Buttons::Ok:
        return QMessageBox::Ok;
    case Prompts::Buttons::YesNo:
        return QMessageBox::Yes | QMessageBox::No;
    case Prompts::Buttons::YesNoCancel:
        return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

Prompts::Answer answerOf(int button)
{
    switch (button) {
    case QMessageBox::Yes:
        return Prompts::Answer::Yes;
    case QMessageBox::No:
        return Prompts::Answer::No;
    case QMessageBox::Cancel:
        return Prompts::Answer::Cancel;
    default:
        return Prompts::Answer::Ok;
    }
}

// The suffix of a name filter's first pattern ("Рисунок SVG (*.svg)" gives "svg"), or
// fallback for a filter of any name.
QString filterSuffix(const QString &filter, const QString &fallback)
{
    static const QRegularExpression pattern(QStringLiteral("\\(\\*\\.(\\w+)"));
    const QRegularExpressionMatch match = pattern.match(filter);
    return match.hasMatch() ? match.captured(1) : fallback;
}

} // namespace

Prompts::Answer QtPrompts::message(const QString &text, const QString &caption, Icon icon,
                                   Buttons buttons)
{
    QMessageBox box(messageIcon(icon), caption, text, messageButtons(buttons), ownerWindow());
    return answerOf(box.exec());
}

QString QtPrompts::openFileName(const FileRequest &request)
{
    return fileName(request, false);
}

QString QtPrompts::saveFileName(const FileRequest &request)
{
    return fileName(request, true);
}

std::optional<QString> QtPrompts::askText(const QString &label, const QString &caption,
                                          const QString &text)
{
    bool accepted = false;
    QString answer =
        QInputDialog::getText(ownerWindow(), caption, label, QLineEdit::Normal, text, &accepted);
    if (!accepted)
        return std::nullopt;
    return answer;
}

bool QtPrompts::printDialog(QPrinter &printer)
{
    QPrintDialog dialog(&printer, ownerWindow());
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    return dialog.exec() == QDialog::Accepted;
}

QStringList QtPrompts::openFileNames(const FileRequest &request)
{
    return fileNames(request, false, true);
}

std::optional<std::vector<QDate>> QtPrompts::confirmFileDays(const QStringList &paths,
                                                             const std::vector<QDate> &days)
{
    CFileDaysDlg dialog(paths, days, ownerWindow());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.days();
}

QString QtPrompts::fileName(const FileRequest &request, bool forSaving)
{
    const QStringList chosen = fileNames(request, forSaving, false);
    return chosen.isEmpty() ? QString() : chosen.constFirst();
}

QStringList QtPrompts::fileNames(const FileRequest &request, bool forSaving, bool several)
{
    QFileDialog dialog(ownerWindow());
    dialog.setAcceptMode(forSaving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(forSaving ? QFileDialog::AnyFile
                       : several ? QFileDialog::ExistingFiles
                                 : QFileDialog::ExistingFile);
    dialog.setNameFilter(request.filter);
    dialog.setDefaultSuffix(request.defaultSuffix);
    // A name typed without a suffix takes the one of the form chosen in the dialog: the dialog
    // puts that form's suffix in place of one typed, but would add only its default to none.
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog, &request](const QString &filter) {
                         dialog.setDefaultSuffix(filterSuffix(filter, request.defaultSuffix));
                     });
    const QString folder =
        m_settings != nullptr ? m_settings->value(SettingsKeys::Folder).toString() : QString();
    if (!folder.isEmpty() && QFileInfo(folder).isDir())
        dialog.setDirectory(folder);
    dialog.selectFile(request.defaultName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    const QStringList chosen = dialog.selectedFiles();
    if (m_settings != nullptr)
        m_settings->setValue(SettingsKeys::Folder, QFileInfo(chosen.constFirst()).absolutePath());
    return chosen;
}

QWidget *QtPrompts::ownerWindow() const
{
    // A prompt belongs to the window the user is working in: the limits dialog, the graph
    // window or the main window. It stays application-modal, so no window can be closed
    // or changed under a prompt that is waiting for an answer.
    if (QWidget *modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget *asking = askingWindow())
        return asking;
    if (QWidget *active = QApplication::activeWindow())
        return active;
    return m_parent;
}
