#pragma once

#include "companions/Prompts.h"

#include <QStringList>

#include <deque>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

// A user who answers every prompt from a script and remembers what was shown.
class ScriptedPrompts : public Prompts
{
public:
    struct Shown
    {
        QString text;
        QString caption;
        Icon icon;
        Buttons buttons;
    };

    Answer message(const QString &text, const QString &caption, Icon icon, Buttons buttons) override
    {
        shown.push_back({text, caption, icon, buttons});
        owners.push_back(askingWindow());
        if (onMessage)
            onMessage(shown.back());
        if (answers.empty())
            return buttons == Buttons::Ok ? Answer::Ok : Answer::Cancel;
        const Answer answer = answers.front();
        answers.pop_front();
        return answer;
    }

    QString openFileName(const FileRequest &request) override
    {
        fileRequests.push_back(request);
        owners.push_back(askingWindow());
        return takePath();
    }

    QString saveFileName(const FileRequest &request) override
    {
        fileRequests.push_back(request);
        owners.push_back(askingWindow());
        return takePath();
    }

    std::optional<QString> askText(const QString &label, const QString &,
                                   const QString &text) override
    {
        askedTexts.push_back({label, text});
        owners.push_back(askingWindow());
        if (textAnswers.empty())
            return std::nullopt;
        const QString answer = textAnswers.front();
        textAnswers.pop_front();
        return answer.isNull() ? std::nullopt : std::optional<QString>(answer);
    }

    bool printDialog(QPrinter &printer) override
    {
        ++printDialogs;
        owners.push_back(askingWindow());
        return onPrintDialog ? onPrintDialog(printer) : false;
    }

    QStringList texts() const
    {
        QStringList result;
        for (const Shown &item : shown)
            result << item.text;
        return result;
    }

    std::vector<Shown> shown;
    std::deque<Answer> answers;
    // Paths the file dialogs return in turn; an empty deque cancels.
    std::deque<QString> paths;
    std::vector<FileRequest> fileRequests;
    // Answers to askText in turn (a null string: cancelled); an empty deque cancels. What was
    // asked, label and offered text.
    std::deque<QString> textAnswers;
    std::vector<std::pair<QString, QString>> askedTexts;
    // Answers the print dialog: set up the printer and confirm, or cancel (the default).
    std::function<bool(QPrinter &)> onPrintDialog;
    int printDialogs = 0;
    // The window each prompt was asked for (askingWindow), in order.
    std::vector<QWidget *> owners;
    // Called while a message is "on screen", before it is answered.
    std::function<void(const Shown &)> onMessage;

private:
    QString takePath()
    {
        if (paths.empty())
            return {};
        QString path = paths.front();
        paths.pop_front();
        return path;
    }
};
