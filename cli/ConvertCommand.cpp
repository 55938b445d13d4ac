#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/InputFiles.h"

#include "companions/OutputFile.h"
#include "outputs/ExcelTransfer.h"
#include "outputs/RowTexts.h"
#include "outputs/SaveMeasurements.h"
#include "outputs/TableExport.h"

namespace {

enum class Form
{
    Workbook,
    Csv,
    Text
};

std::optional<Form> formOf(const QString &word)
{
    if (word == QStringLiteral("xlsx"))
        return Form::Workbook;
    if (word == QStringLiteral("csv"))
        return Form::Csv;
    if (word == QStringLiteral("txt"))
        return Form::Text;
    return std::nullopt;
}

// Every form is written as a save writes its file: a regular one beside its name and moved over
// it only when whole, a pipe or device in place. Returns why it was not written, or nothing.
QString write(Form form, const QString &path, const ReceivedRows &table)
{
    const std::vector<int> rows = RowsToTake(table, {});
    switch (form) {
    case Form::Workbook:
        return WriteWorkbookFile(path, GetRowTexts(table, rows), InPlaceWrites::Allowed);
    case Form::Csv:
        return WriteCsvFile(path, table, rows, InPlaceWrites::Allowed);
    case Form::Text: {
        const QByteArray text = TextForm(table, rows);
        return WriteOutputFile(path, InPlaceWrites::Allowed,
                               [&](QIODevice &file) { return file.write(text) == text.size(); });
    }
    }
    return {};
}

} // namespace

int RunConvert(const QStringList &words)
{
    QString error;
    const std::optional<Arguments> arguments =
        ParseArguments(words,
                       {{QStringLiteral("--mode"), {}, true},
                        {QStringLiteral("--to"), {}, true},
                        {QStringLiteral("--output"), QStringLiteral("-o"), true},
                        {QStringLiteral("--force"), {}, false}},
                       error);
    const std::optional<PollMode> mode = arguments ? ModeOption(*arguments, error) : std::nullopt;
    if (!mode)
        return Fail(ExitUsage, error);
    const std::optional<Form> form = formOf(arguments->value(QStringLiteral("--to")));
    const QString output = arguments->value(QStringLiteral("--output"));
    if (!form)
        return Fail(ExitUsage, Say("--to: xlsx, csv или txt", "--to: xlsx, csv or txt"));
    if (arguments->operands.isEmpty() || output.isEmpty())
        return Fail(ExitUsage,
                    Say("нужны входной файл и -o ВЫХОД", "an input and -o OUT are needed"));

    const QString suffix = arguments->value(QStringLiteral("--to"));
    int status = ExitOk;
    const std::optional<QStringList> outputs = OutputPaths(
        arguments->operands, output, suffix, arguments->has(QStringLiteral("--force")), status);
    if (!outputs)
        return status;

    for (qsizetype i = 0; i < outputs->size(); ++i) {
        const QString &input = arguments->operands[i];
        ReadBack readBack;
        const int read = ReadInput(input, *mode, readBack);
        if (read != ExitOk) {
            status = status == ExitOk ? read : status;
            continue;
        }
        // A worksheet's limit is known before a row is written.
        if (*form == Form::Workbook && std::size_t(readBack.table().rowTotal()) > MaxWorkbookRows) {
            Fail(ExitFailure, Say("%1: %2 измерений, а в лист книги помещается не больше %3: "
                                  "запишите их в csv",
                                  "%1: %2 readings, but a worksheet holds at most %3: write them "
                                  "to csv")
                                  .arg(input)
                                  .arg(readBack.table().rowTotal())
                                  .arg(qulonglong{MaxWorkbookRows}));
            status = status == ExitOk ? ExitFailure : status;
            continue;
        }
        const QString written = write(*form, (*outputs)[i], readBack.table());
        if (!written.isEmpty()) {
            Fail(ExitFailure,
                 Say("%1: не записан: %2", "%1: not written: %2").arg((*outputs)[i], written));
            status = status == ExitOk ? ExitFailure : status;
        }
    }
    return status;
}
