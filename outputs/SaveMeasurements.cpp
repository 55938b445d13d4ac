#include "outputs/SaveMeasurements.h"

#include "acquisition/DeviceParser.h"
#include "acquisition/ReceivedRows.h"
#include "companions/OutputFile.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

namespace {

QByteArray fourWide(long long value)
{
    return QByteArray::number(value).rightJustified(4, ' ');
}

// The instrument writes hundredths after a colon: 12:34:56.450 becomes 12:34:56:45.
QByteArray instrumentTime(QString time)
{
    if (time.size() > 9)
        time[8] = QLatin1Char(':');
    return time.left(11).toUtf8();
}

// Leading blanks, an optional sign, then digits up to the first other character; no digits
// reads as 0.
long long integerValue(const QString &text)
{
    const long value = std::strtol(text.toUtf8().constData(), nullptr, 10);
    return std::clamp<long>(value, INT_MIN, INT_MAX);
}

QByteArray modeCode(const QString &name)
{
    const QByteArray utf8 = name.toUtf8();
    const int mode = MeasureModeFromName(std::string_view(utf8.constData(), utf8.size()));
    return mode < 0 ? utf8 : QByteArray(MeasureModes[mode].code);
}

bool askSelectedOnly(Prompts &prompts, const std::vector<int> &selectedRows)
{
    return !selectedRows.empty() &&
           prompts.message(QStringLiteral("Сохранять только выделенные данные?"),
                           QStringLiteral("Сохранение"), Prompts::Icon::Question,
                           Prompts::Buttons::YesNo) == Prompts::Answer::Yes;
}

bool writeAll(OutputFile &file, const char *data, qint64 size)
{
    return file.device().write(data, size) == size;
}

} // namespace

QByteArray TextFormLine(unsigned lineNumber, const RowCells &cells)
{
    using Column = ReceivedRows::Column;
    return fourWide(lineNumber) + ' ' + instrumentTime(cells[Column::TimeColumn]) +
           " E=" + cells[Column::EmissivityColumn].toUtf8() +
           " T=" + fourWide(integerValue(cells[Column::TemperatureColumn])) + ' ' +
           modeCode(cells[Column::ModeColumn]) + "\r\n";
}

QByteArray TextForm(const ReceivedRows &table, const std::vector<int> &rows)
{
    QByteArray text;
    unsigned lineNumber = 0;
    for (int row : rows)
        text += TextFormLine(lineNumber++, GetRowCells(table, row));
    return text;
}

bool SaveMeasurements(Prompts &prompts, const ReceivedRows &table,
                      const std::vector<int> &selectedRows, std::span<const char> received,
                      QString *savedPath)
{
    if (received.empty())
        return false;
    const QString path = prompts.saveFileName(DataFileRequest);
    if (path.isEmpty() || !AcceptSaveTarget(prompts, path))
        return false;

    OutputFile file(path, InPlaceWrites::Refused);
    if (!file.open()) {
        prompts.message(QStringLiteral("Ошибка открытия файла"), ErrorCaption,
                        Prompts::Icon::Exclamation);
        return false;
    }
    bool written = false;
    if (askSelectedOnly(prompts, selectedRows)) {
        const QByteArray text = TextForm(table, RowsToTake(table, selectedRows));
        written = writeAll(file, text.constData(), text.size());
    } else {
        written = writeAll(file, received.data(), static_cast<qint64>(received.size()));
    }
    // commit() flushes what is still buffered: a late write failure shows up here.
    written = written && file.commit();
    ReportFileWritten(prompts, written);
    if (written && savedPath != nullptr)
        *savedPath = path;
    return written;
}

bool AcceptSaveTarget(Prompts &prompts, const QString &path)
{
    if (SaveTargetOf(path) == SaveTarget::Replaced)
        return true;
    prompts.message(QStringLiteral("«%1» не обычный файл, а устройство, канал или папка.\n"
                                   "Данные в него не записываются: выберите другой файл.")
                        .arg(path),
                    ErrorCaption, Prompts::Icon::Exclamation);
    return false;
}

void ReportFileWritten(Prompts &prompts, bool written)
{
    if (written) {
        prompts.message(QStringLiteral("Данные успешно записаны в файл."),
                        QStringLiteral("Сохранение данных"), Prompts::Icon::Information);
    } else {
        prompts.message(QStringLiteral("Ошибка записи данных в файл."), ErrorCaption,
                        Prompts::Icon::Exclamation);
    }
}
