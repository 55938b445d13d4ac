#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

class QPrinter;
class QWidget;

// Everything the program asks or tells the user goes through this interface, so that the
// windows can be driven by a scripted user in tests.
class Prompts
{
public:
    enum class Icon
    {
        Information,
        Exclamation,
        Question,
        Stop
    };
    enum class Buttons
    {
        Ok,
        YesNo,
        YesNoCancel
    };
    enum class Answer
    {
        Ok,
        Yes,
        No,
        Cancel
    };

    // A file dialog: filter entries "Name (*.ext)" separated by ";;", the suffix added to a
    // name typed without one, and the name first offered.
    struct FileRequest
    {
        QString filter;
        QString defaultSuffix;
        QString defaultName;
    };

    virtual ~Prompts() = default;

    virtual Answer message(const QString &text, const QString &caption, Icon icon,
                           Buttons buttons = Buttons::Ok) = 0;

    // The chosen path, or an empty string when the user cancelled.
    virtual QString openFileName(const FileRequest &request) = 0;
    virtual QString saveFileName(const FileRequest &request) = 0;
    // One existing file or several, chosen at once; empty when the user cancelled. A prompter
    // that offers one file at a time answers with that one.
    virtual QStringList openFileNames(const FileRequest &request)
    {
        const QString chosen = openFileName(request);
        return chosen.isEmpty() ? QStringList() : QStringList{chosen};
    }
    // The days of files about to be joined into one timeline (one for each of paths), as the
    // user confirms or corrects them; none when the user cancelled. A prompter that shows no
    // such list takes them as they are.
    virtual std::optional<std::vector<QDate>> confirmFileDays(const QStringList &paths,
                                                              const std::vector<QDate> &days)
    {
        static_cast<void>(paths);
        return days;
    }

    // A one-line text asked for with label, offered filled with text; none when the user
    // cancelled.
    virtual std::optional<QString> askText(const QString &label, const QString &caption,
                                           const QString &text) = 0;

    // The print dialog for all pages (no page range, no selection, no print-to-file box of
    // its own); true when the user confirmed, with the choice made on printer.
    virtual bool printDialog(QPrinter &printer) = 0;

    // The window whose command is asking, while a PromptsOwner says so; null otherwise. The
    // prompts open over it: once a dialog of the command has closed, the desktop may not yet
    // have given the focus back to that window.
    QWidget *askingWindow() const { return m_askingWindow; }

private:
    friend class PromptsOwner;
    QWidget *m_askingWindow = nullptr;
};

// For its lifetime, the prompts asked through prompts belong to window (see askingWindow).
class PromptsOwner
{
public:
    PromptsOwner(Prompts &prompts, QWidget *window)
        : m_prompts(prompts), m_previous(prompts.m_askingWindow)
    {
        prompts.m_askingWindow = window;
    }
    ~PromptsOwner() { m_prompts.m_askingWindow = m_previous; }
    PromptsOwner(const PromptsOwner &) = delete;
    PromptsOwner &operator=(const PromptsOwner &) = delete;

private:
    Prompts &m_prompts;
    QWidget *m_previous;
};

// The caption of the program's error messages.
inline const QString ErrorCaption = QStringLiteral("Ошибка");

// The file dialog for data files, to read one back and to save one: the two forms first,
// then every file (on this system a name need not have an extension).
inline const Prompts::FileRequest DataFileRequest{
    QStringLiteral("Файлы данных ORMA (*.orm);;Текстовые файлы (*.txt);;Все файлы (*)"),
    QStringLiteral("orm"), QStringLiteral("data")};
