#pragma once

#include "companions/Prompts.h"

class QSettings;
class QWidget;

// Prompts shown with the desktop's message boxes and file dialogs.
class QtPrompts : public Prompts
{
public:
    Answer message(const QString &text, const QString &caption, Icon icon,
                   Buttons buttons) override;
    QString openFileName(const FileRequest &request) override;
    QString saveFileName(const FileRequest &request) override;
    QStringList openFileNames(const FileRequest &request) override;
    std::optional<std::vector<QDate>> confirmFileDays(const QStringList &paths,
                                                      const std::vector<QDate> &days) override;
    std::optional<QString> askText(const QString &label, const QString &caption,
                                   const QString &text) override;
    bool printDialog(QPrinter &printer) override;

    // The window the prompts are shown over while no window of the program is active;
    // none makes them free-standing.
    void setParentWindow(QWidget *window) { m_parent = window; }
    // Where the file dialogs remember the folder of the last file chosen; none forgets it.
    void setSettings(QSettings *settings) { m_settings = settings; }

private:
    QWidget *ownerWindow() const;
    QString fileName(const FileRequest &request, bool forSaving);
    QStringList fileNames(const FileRequest &request, bool forSaving, bool several);

    QWidget *m_parent = nullptr;
    QSettings *m_settings = nullptr;
};
