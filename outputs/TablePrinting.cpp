#include "outputs/TablePrinting.h"

#include "app/Prompts.h"
#include "outputs/CTablePrintJob.h"
#include "outputs/PrinterDevice.h"
#include "outputs/PrintoutThreads.h"

#include <QPrinter>
#include <QThread>

#include <memory>
#include <new>

namespace {

const QString ErrorCaption = QStringLiteral("Ошибка");

} // namespace

void PrintTable(Prompts &prompts, const RowSnapshot &snapshot, QObject &owner)
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setDocName(QStringLiteral("ORMA печать таблицы измерений"));
    if (!prompts.printDialog(*printer))
        return;
    if (!HasPrintDestination(*printer)) {
        prompts.message(QStringLiteral("Не установлен принтер"), ErrorCaption,
                        Prompts::Icon::Exclamation);
        return;
    }
    std::optional<std::vector<TableRowText>> rows =
        snapshot ? snapshot() : std::optional<std::vector<TableRowText>>();
    if (!rows) {
        prompts.message(QStringLiteral("Ошибка получения данных"), ErrorCaption,
                        Prompts::Icon::Stop);
        return;
    }
    if (CTablePrintJob::RowsPerPage(printer->heightMM()) == 0) {
        prompts.message(QStringLiteral("Печатная область страницы слишком мала для таблицы"),
                        ErrorCaption, Prompts::Icon::Exclamation);
        return;
    }
    auto job = std::make_unique<CTablePrintJob>(std::make_unique<PrinterDevice>(std::move(printer)),
                                                std::move(*rows));
    StartPrintoutThread(owner,
                        std::unique_ptr<QThread>(QThread::create([job = std::move(job)]() mutable {
                            PrintTableThread(std::move(job));
                        })));
}

void PrintTable(Prompts &prompts, const MeasurementTableModel &table, std::vector<int> selectedRows,
                QObject &owner)
{
    const RowSnapshot snapshot = [&table, &selectedRows]() {
        try {
            return std::optional(GetRowTexts(table, std::move(selectedRows)));
        } catch (const std::bad_alloc &) {
            return std::optional<std::vector<TableRowText>>();
        }
    };
    PrintTable(prompts, snapshot, owner);
}
