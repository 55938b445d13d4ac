#include "outputs/TablePrinting.h"

#include "companions/Prompts.h"
#include "outputs/CTablePrintJob.h"
#include "plot/PrinterDevice.h"
#include "plot/PrintoutThreads.h"

#include <QPrinter>
#include <QThread>

#include <memory>
#include <new>

namespace {} // namespace

void PrintTable(Prompts &prompts, const RowSnapshot &snapshot, QObject &owner)
{
    std::unique_ptr<QPrinter> printer =
        ChoosePrinter(prompts, QStringLiteral("ORMA печать таблицы измерений"));
    if (!printer)
        return;
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

void PrintTable(Prompts &prompts, const ReceivedRows &table, std::vector<int> selectedRows,
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
