#include "tests/support/PdfFiles.h"

#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>

namespace {

// The tool's standard output; empty when it fails or runs for more than 30 s.
QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

} // namespace

void PrintToPdf(QPrinter &printer, const QString &path, QSizeF pageMm)
{
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageSize(QPageSize(pageMm, QPageSize::Millimeter));
    printer.setPageMargins(QMarginsF(), QPageLayout::Millimeter);
}

std::function<bool(QPrinter &)> AnswerWithPdf(const QString &path, QSizeF pageMm)
{
    return [path, pageMm](QPrinter &printer) {
        PrintToPdf(printer, path, pageMm);
        return true;
    };
}

QString PdfText(const QString &path, PdfTextOrder order)
{
    QStringList arguments = {path, QStringLiteral("-")};
    if (order == PdfTextOrder::Layout)
        arguments.prepend(QStringLiteral("-layout"));
    return run(QStringLiteral("pdftotext"), arguments);
}

QString PdfInfo(const QString &path, const QString &field)
{
    const QRegularExpression line(QStringLiteral("^%1:\\s*(.*)$").arg(field),
                                  QRegularExpression::MultilineOption);
    return line.match(run(QStringLiteral("pdfinfo"), {path})).captured(1).trimmed();
}

QImage PdfPageImage(const QString &path, int dpi)
{
    const QString prefix = path + QStringLiteral(".page");
    run(QStringLiteral("pdftoppm"),
        {QStringLiteral("-png"), QStringLiteral("-r"), QString::number(dpi),
         QStringLiteral("-singlefile"), path, prefix});
    return QImage(prefix + QStringLiteral(".png"));
}
