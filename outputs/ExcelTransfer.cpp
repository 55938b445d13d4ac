#include "outputs/ExcelTransfer.h"

#include "outputs/SaveMeasurements.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <xlsxwriter.h>

#include <optional>

namespace {

const QString LaunchCaption = QStringLiteral("Ошибка запуска MS Exel");
const QString TransferCaption = QStringLiteral("Перенос данных в MS Exel");

// A decimal number as typed into a cell: an optional sign, digits, an optional fraction.
std::optional<double> numberValue(const char *text)
{
    static const QRegularExpression pattern(QStringLiteral(R"(^[+-]?(\d+\.?\d*|\.\d+)$)"));
    const QString typed = QString::fromUtf8(text);
    if (!pattern.match(typed).hasMatch())
        return std::nullopt;
    return typed.toDouble();
}

// A time of day HH:MM:SS with optional milliseconds, as the fraction of a day a spreadsheet
// stores for it.
std::optional<double> timeOfDayValue(const char *text)
{
    static const QRegularExpression pattern(
        QStringLiteral(R"(^([01]?\d|2[0-3]):([0-5]\d):([0-5]\d)(?:\.(\d{1,3}))?$)"));
    const QRegularExpressionMatch match = pattern.match(QString::fromUtf8(text));
    if (!match.hasMatch())
        return std::nullopt;
    const int hours = match.captured(1).toInt();
    const int minutes = match.captured(2).toInt();
    const int seconds = match.captured(3).toInt();
    const int milliseconds = match.captured(4).leftJustified(3, QLatin1Char('0')).toInt();
    return (((hours * 60 + minutes) * 60 + seconds) * 1000 + milliseconds) / 86400000.0;
}

lxw_error writeCell(lxw_worksheet *sheet, lxw_row_t row, lxw_col_t column, const char *text,
                    std::optional<double> value, lxw_format *format = nullptr)
{
    if (value)
        return worksheet_write_number(sheet, row, column, *value, format);
    // An empty text leaves the cell empty, as an empty typed entry does.
    return worksheet_write_string(sheet, row, column, text, nullptr);
}

lxw_error writeRow(lxw_worksheet *sheet, lxw_row_t row, const TableRowText &text,
                   lxw_format *timeFormat)
{
    const lxw_error errors[] = {
        writeCell(sheet, row, 0, text.number, numberValue(text.number)),
        writeCell(sheet, row, 1, text.time, timeOfDayValue(text.time), timeFormat),
        writeCell(sheet, row, 2, text.temperature, numberValue(text.temperature)),
        writeCell(sheet, row, 3, text.emissivity, numberValue(text.emissivity)),
        writeCell(sheet, row, 4, text.mode, std::nullopt),
    };
    for (lxw_error error : errors) {
        if (error != LXW_NO_ERROR)
            return error;
    }
    return LXW_NO_ERROR;
}

static_assert(MaxWorkbookRows == LXW_ROW_MAX);

QString tooManyRows(std::size_t rows)
{
    return QStringLiteral("в лист книги помещается не больше %L1 строк, а их %L2")
        .arg(qulonglong{MaxWorkbookRows})
        .arg(qulonglong{rows});
}

// Hands the bytes of the file at from to the open output to.
bool copyInto(const QString &from, QIODevice &to)
{
    QFile file(from);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    constexpr qint64 BlockSize = 1 << 20;
    while (!file.atEnd()) {
        const QByteArray block = file.read(BlockSize);
        if (block.isEmpty() || to.write(block) != block.size())
            return false;
    }
    return true;
}

QString makeFolder(const QString &folder)
{
    if (folder.isEmpty())
        return QStringLiteral("no cache folder is known");
    return QDir().mkpath(folder) ? QString() : QStringLiteral("the folder cannot be made");
}

// Creates an empty file of a name no other file in `folder` has, and keeps it.
QString createUniqueFile(const QString &folder, QString &path)
{
    QTemporaryFile file(folder + QStringLiteral("/ORMA-XXXXXX.xlsx"));
    file.setAutoRemove(false);
    if (!file.open())
        return file.errorString();
    path = file.fileName();
    return {};
}

// Workbooks made for the spreadsheet application are kept a week, then removed.
constexpr int KeptWorkbookDays = 7;

void removeOldWorkbooks(const QString &folder)
{
    const QDateTime oldest = QDateTime::currentDateTime().addDays(-KeptWorkbookDays);
    const QFileInfoList workbooks =
        QDir(folder).entryInfoList({QStringLiteral("ORMA-*.xlsx")}, QDir::Files);
    for (const QFileInfo &workbook : workbooks) {
        if (workbook.lastModified() < oldest)
            QFile::remove(workbook.absoluteFilePath());
    }
}

// Without a spreadsheet application the rows still reach a file, if the user wants one.
void offerWorkbookFile(Prompts &prompts, const std::vector<TableRowText> &rows)
{
    if (prompts.message(QStringLiteral("Сохранить таблицу в файл .xlsx?"), TransferCaption,
                        Prompts::Icon::Question, Prompts::Buttons::YesNo) != Prompts::Answer::Yes)
        return;
    const QString path =
        prompts.saveFileName({QStringLiteral("Книги Excel (*.xlsx);;Все файлы (*)"),
                              QStringLiteral("xlsx"), QStringLiteral("data")});
    if (!path.isEmpty() && AcceptSaveTarget(prompts, path))
        ReportFileWritten(prompts, WriteWorkbookFile(path, rows, InPlaceWrites::Refused).isEmpty());
}

} // namespace

bool AutoWrap(Prompts &prompts, const QString &step, const QString &object,
              const std::function<QString()> &run)
{
    const QString error = run();
    if (error.isEmpty())
        return true;
    prompts.message(QStringLiteral("%1(\"%2\") failed w/err %3").arg(step, object, error),
                    QStringLiteral("AutoWrap()"), Prompts::Icon::Stop);
    return false;
}

WorkbookWriter::WorkbookWriter(const QString &path)
{
    // Each row goes to the library's file as the next one starts: the mode's texts are written
    // into their cells instead of a table of texts kept to the end.
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    m_workbook = workbook_new_opt(QFile::encodeName(path).constData(), &options);
    if (m_workbook == nullptr) {
        m_error = LXW_ERROR_MEMORY_MALLOC_FAILED;
        return;
    }
    m_sheet = workbook_add_worksheet(m_workbook, nullptr);
    m_timeFormat = workbook_add_format(m_workbook);
    if (m_sheet == nullptr || m_timeFormat == nullptr) {
        m_error = LXW_ERROR_MEMORY_MALLOC_FAILED;
        return;
    }
    format_set_num_format(m_timeFormat, "hh:mm:ss.000");
    // Wide enough for a time with its milliseconds and for the longest mode name.
    m_error = worksheet_set_column(m_sheet, 1, 1, 13, nullptr);
    if (m_error == LXW_NO_ERROR)
        m_error = worksheet_set_column(m_sheet, 4, 4, 14, nullptr);
}

WorkbookWriter::~WorkbookWriter()
{
    close();
}

bool WorkbookWriter::addRow(const TableRowText &row)
{
    if (m_error != LXW_NO_ERROR || m_rows >= MaxWorkbookRows)
        return false;
    m_error = writeRow(m_sheet, static_cast<lxw_row_t>(m_rows), row, m_timeFormat);
    m_rows += m_error == LXW_NO_ERROR ? 1 : 0;
    return m_error == LXW_NO_ERROR;
}

QString WorkbookWriter::close()
{
    // Closing also frees the workbook, so it happens whatever the rows gave.
    if (m_workbook != nullptr) {
        const lxw_error closeError = workbook_close(m_workbook);
        m_workbook = nullptr;
        if (m_error == LXW_NO_ERROR)
            m_error = closeError;
    }
    return m_error == LXW_NO_ERROR
               ? QString()
               : QString::fromUtf8(lxw_strerror(static_cast<lxw_error>(m_error)));
}

WorkbookFile::WorkbookFile() : m_file(QDir::tempPath() + QStringLiteral("/orma-XXXXXX.xlsx"))
{
    // The library writes a workbook only to a name of its own; the whole workbook is then
    // handed to the output as every other save writes its bytes.
    if (m_file.open())
        m_file.close();
    else
        m_error = m_file.errorString();
    m_writer = std::make_unique<WorkbookWriter>(m_file.fileName());
}

QString WorkbookFile::writeTo(const QString &path, InPlaceWrites inPlace)
{
    if (!m_error.isEmpty())
        return m_error;
    if (const QString error = m_writer->close(); !error.isEmpty())
        return error;
    return WriteOutputFile(path, inPlace,
                           [&](QIODevice &file) { return copyInto(m_file.fileName(), file); });
}

QString WriteWorkbook(const QString &path, const std::vector<TableRowText> &rows)
{
    if (rows.size() > MaxWorkbookRows)
        return tooManyRows(rows.size());
    WorkbookWriter workbook(path);
    for (const TableRowText &row : rows) {
        if (!workbook.addRow(row))
            break;
    }
    return workbook.close();
}

QString WriteWorkbookFile(const QString &path, const std::vector<TableRowText> &rows,
                          InPlaceWrites inPlace)
{
    if (rows.size() > MaxWorkbookRows)
        return tooManyRows(rows.size());
    WorkbookFile workbook;
    for (const TableRowText &row : rows) {
        if (!workbook.writer().addRow(row))
            break;
    }
    return workbook.writeTo(path, inPlace);
}

void TransferToSpreadsheet(Prompts &prompts, const std::vector<TableRowText> &rows,
                           SpreadsheetLauncher &launcher)
{
    if (rows.empty()) {
        prompts.message(QStringLiteral("Нет данных для переноса в MS Exel."), TransferCaption,
                        Prompts::Icon::Information);
        return;
    }
    if (rows.size() > MaxWorkbookRows) {
        prompts.message(QStringLiteral("Таблица не переносится: %1.\nВыделите меньше строк или "
                                       "сохраните их в CSV.")
                            .arg(tooManyRows(rows.size())),
                        TransferCaption, Prompts::Icon::Exclamation);
        return;
    }
    if (!launcher.isInstalled()) {
        prompts.message(QStringLiteral("MS Exel не установлен на вашем компьютере."), LaunchCaption,
                        Prompts::Icon::Stop);
        offerWorkbookFile(prompts, rows);
        return;
    }
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
    removeOldWorkbooks(folder);
    QString path;
    if (!AutoWrap(prompts, QStringLiteral("QDir::mkpath"), folder,
                  [&folder] { return makeFolder(folder); }) ||
        !AutoWrap(prompts, QStringLiteral("QTemporaryFile::open"), folder,
                  [&folder, &path] { return createUniqueFile(folder, path); }))
        return;
    if (!AutoWrap(prompts, QStringLiteral("workbook_close"), path,
                  [&path, &rows] { return WriteWorkbook(path, rows); })) {
        QFile::remove(path);
        return;
    }
    if (!launcher.open(path)) {
        QFile::remove(path);
        prompts.message(QStringLiteral("MS Exel не корректно установлен на вашем компьютере."),
                        LaunchCaption, Prompts::Icon::Stop);
        offerWorkbookFile(prompts, rows);
        return;
    }
    prompts.message(QStringLiteral("Данные успешно перенесены в приложение MS Exel."),
                    TransferCaption, Prompts::Icon::Information);
}
