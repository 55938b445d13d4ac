#include "outputs/XdgSpreadsheetLauncher.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

namespace {

// The desktop file id of the default application for workbooks, or an empty string.
QString defaultApplication()
{
    QProcess query;
    query.start(QStringLiteral("xdg-mime"),
                {QStringLiteral("query"), QStringLiteral("default"),
                 QStringLiteral("application/vnd.openxmlformats-officedocument.spreadsheetml."
                                "sheet")});
    if (!query.waitForFinished(5000)) {
        query.kill();
        query.waitForFinished();
        return {};
    }
    if (query.exitStatus() != QProcess::NormalExit || query.exitCode() != 0)
        return {};
    return QString::fromUtf8(query.readAllStandardOutput()).trimmed();
}

// A desktop entry value with its general escapes (\s \n \t \r \\) read.
QString unescaped(const QString &value)
{
    QString text;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != QLatin1Char('\\') || i + 1 == value.size()) {
            text += value[i];
            continue;
        }
        const QChar next = value[++i];
        const qsizetype known = QStringLiteral("sntr\\").indexOf(next);
        if (known < 0)
            text += QLatin1Char('\\');
        text += known < 0 ? next : QStringLiteral(" \n\t\r\\")[known];
    }
    return text;
}

// The Exec value of the [Desktop Entry] group.
QString execValue(const QString &desktopFile)
{
    QFile file(desktopFile);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    bool inEntry = false;
    for (const QByteArray &rawLine : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inEntry = line == QStringLiteral("[Desktop Entry]");
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!inEntry || equals < 0 || line.left(equals).trimmed() != QStringLiteral("Exec"))
            continue;
        return unescaped(line.mid(equals + 1).trimmed());
    }
    return {};
}

// Splits at blanks outside double quotes; inside them a backslash takes the next character.
QStringList splitArguments(const QString &exec)
{
    QStringList arguments;
    QString current;
    bool inArgument = false;
    bool quoted = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (quoted) {
            if (c == QLatin1Char('\\') && i + 1 < exec.size())
                current += exec[++i];
            else if (c == QLatin1Char('"'))
                quoted = false;
            else
                current += c;
        } else if (c == QLatin1Char(' ')) {
            if (inArgument)
                arguments << current;
            current.clear();
            inArgument = false;
        } else {
            quoted = c == QLatin1Char('"');
            if (!quoted)
                current += c;
            inArgument = true;
        }
    }
    if (inArgument)
        arguments << current;
    return arguments;
}

// Expands the field codes of one argument; sets `usedPath` when the path went in.
QString expandFieldCodes(const QString &argument, const QString &path, bool &usedPath)
{
    QString expanded;
    for (qsizetype i = 0; i < argument.size(); ++i) {
        if (argument[i] != QLatin1Char('%') || i + 1 == argument.size()) {
            expanded += argument[i];
            continue;
        }
        const QChar code = argument[++i];
        if (code == QLatin1Char('%')) {
            expanded += code;
        } else if (QStringLiteral("fFuU").contains(code)) {
            expanded += path;
            usedPath = true;
        }
    }
    return expanded;
}

} // namespace

QStringList DesktopExecCommand(const QString &exec, const QString &path)
{
    QStringList command;
    bool usedPath = false;
    for (const QString &argument : splitArguments(exec)) {
        const QString expanded = expandFieldCodes(argument, path, usedPath);
        // An argument made only of codes that expand to nothing (%i, %c, %k) is dropped.
        if (!expanded.isEmpty() || argument.isEmpty())
            command << expanded;
    }
    if (!command.isEmpty() && !usedPath)
        command << path;
    return command;
}

bool XdgSpreadsheetLauncher::isInstalled()
{
    return !defaultApplication().isEmpty();
}

bool XdgSpreadsheetLauncher::open(const QString &path)
{
    const QString application = defaultApplication();
    if (application.isEmpty())
        return false;
    const QString desktopFile =
        QStandardPaths::locate(QStandardPaths::ApplicationsLocation, application);
    const QStringList command = DesktopExecCommand(execValue(desktopFile), path);
    return !command.isEmpty() && QProcess::startDetached(command.first(), command.mid(1));
}
