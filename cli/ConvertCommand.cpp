#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "cli/InputFiles.h"

#include "acquisition/MeasurementTableModel.h"
#include "companions/OutputFile.h"
#include "outputs/ExcelTransfer.h"
#include "outputs/RowTexts.h"
#include "outputs/SaveMeasurements.h"
#include "outputs/TableExport.h"

#include <memory>
#include <vector>

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

// The rows of one form, written as they come, a block at a time, as a save writes its file: a
// regular one beside its name and moved over it only when whole, a pipe or device in place.
class FormWriter
{
public:
    FormWriter(Form form, const QString &path)
        : m_form(form), m_path(path), m_output(path, InPlaceWrites::Allowed)
    {
        if (form == Form::Workbook)
            m_workbook = std::make_unique<WorkbookFile>();
    }

    // Takes one reading; false once the output failed or a worksheet is full.
    bool add(const DeviceReading &reading)
    {
        m_rows.push_back({reading, -1});
        return m_rows.size() < BlockRows || writeBlock();
    }

    // Writes what is left; why the output was not written, or nothing.
    QString finish()
    {
        if (!writeBlock())
            return m_error;
        if (m_form == Form::Workbook)
            return m_workbook->writeTo(m_path, InPlaceWrites::Allowed);
        if (!writeBytes() || !m_output.commit())
            return m_output.errorString();
        return {};
    }

    // Whether the readings overran a worksheet.
    bool sheetFull() const { return m_sheetFull; }

private:
    // Rows are made a block at a time, as the window's outputs make them from its table.
    static constexpr std::size_t BlockRows = 4096;
    // Written to the output a block of bytes at a time: a write per line would cost more than
    // making the line.
    static constexpr qsizetype BlockBytes = 1 << 20;

    bool writeBlock()
    {
        if (!m_error.isEmpty() || m_sheetFull)
            return false;
        m_block.appendRows(std::move(m_rows));
        m_rows.clear();
        const std::vector<int> rows = RowsToTake(m_block, {});
        const bool written = m_form == Form::Workbook ? addToWorkbook(rows) : addToFile(rows);
        m_block.clear();
        return written;
    }

    bool addToWorkbook(const std::vector<int> &rows)
    {
        for (const TableRowText &row : GetRowTexts(m_block, rows)) {
            m_sheetFull = m_workbook->writer().rowCount() == MaxWorkbookRows;
            if (m_sheetFull)
                return false;
            if (!m_workbook->writer().addRow(row)) {
                m_error = m_workbook->writer().close();
                return false;
            }
        }
        return true;
    }

    bool addToFile(const std::vector<int> &rows)
    {
        if (!m_opened) {
            m_opened = true;
            if (!m_output.open()) {
                m_error = m_output.errorString();
                return false;
            }
            if (m_form == Form::Csv)
                m_bytes = CsvDocumentStart();
        }
        if (m_form == Form::Csv) {
            AppendCsvLines(m_bytes, m_block, rows);
        } else {
            for (int row : rows)
                m_bytes += TextFormLine(m_lineNumber++, GetRowCells(m_block, row));
        }
        if (m_bytes.size() >= BlockBytes && !writeBytes()) {
            m_error = m_output.device().errorString();
            return false;
        }
        return true;
    }

    bool writeBytes()
    {
        const bool written = m_output.device().write(m_bytes) == m_bytes.size();
        m_bytes.resize(0);
        return written;
    }

    const Form m_form;
    const QString m_path;
    OutputFile m_output;
    std::vector<MeasurementTableModel::Row> m_rows;
    MeasurementTableModel m_block;
    std::unique_ptr<WorkbookFile> m_workbook;
    QByteArray m_bytes;
    unsigned m_lineNumber = 0;
    bool m_opened = false;
    QString m_error;
    bool m_sheetFull = false;
};

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
        const QString &path = (*outputs)[i];
        FormWriter writer(*form, path);
        const int read =
            StreamInput(input, *mode, [&writer](const DeviceReading &r) { return writer.add(r); });
        if (read != ExitOk) {
            status = status == ExitOk ? read : status;
            continue;
        }
        // A worksheet's limit stops the reading before anything reaches the output.
        const QString written = writer.finish();
        if (writer.sheetFull())
            Fail(ExitFailure, Say("%1: больше %2 измерений, а в лист книги помещается не больше "
                                  "%2: запишите их в csv",
                                  "%1: more than %2 readings, but a worksheet holds at most %2: "
                                  "write them to csv")
                                  .arg(input)
                                  .arg(qulonglong{MaxWorkbookRows}));
        else if (!written.isEmpty())
            Fail(ExitFailure, Say("%1: не записан: %2", "%1: not written: %2").arg(path, written));
        if (writer.sheetFull() || !written.isEmpty())
            status = status == ExitOk ? ExitFailure : status;
    }
    return status;
}
