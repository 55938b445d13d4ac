#include "outputs/TablePrinting.h"

#include "companions/Prompts.h"
#include "outputs/CTablePrintJob.h"
#include "plot/PrinterDevice.h"
#include "plot/PrintoutThreads.h"

#include <QPrinter>
#include <QThread>

#include <memory>
#include <new>

void PrintTable(Prompts &prompts, const RowSnapshotTaker &snapshot, QObject &owner)
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
    // std::function needs a copyable callable; the job is handed over through a shared pointer.
    auto shared = std::make_shared<std::unique_ptr<CTablePrintJob>>(std::move(job));
    StartPrintoutThread(owner,
                        MakePrintoutThread(owner, [shared](const std::atomic<bool> &cancelled) {
                            PrintTableThread(std::move(*shared), &cancelled);
                        }));
}

void PrintTable(Prompts &prompts, const ReceivedRows &table, std::vector<int> selectedRows,
                QObject &owner)
{
    const RowSnapshotTaker snapshot = [&table, &selectedRows]() {
        try {
            return std::optional(GetRowTexts(table, std::move(selectedRows)));
        } catch (const std::bad_alloc &) {
            return std::optional<std::vector<TableRowText>>();
        }
    };
    PrintTable(prompts, snapshot, owner);
}
