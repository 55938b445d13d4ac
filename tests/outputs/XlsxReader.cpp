#include "tests/outputs/XlsxReader.h"

#include <QFile>
#include <QXmlStreamReader>

#include <zlib.h>

namespace {

quint32 little(const QByteArray &data, qsizetype at, int bytes)
{
    quint32 value = 0;
    if (at < 0 || at + bytes > data.size())
        return value;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | static_cast<quint8>(data[at + i]);
    return value;
}

QByteArray inflateRaw(const QByteArray &compressed, quint32 size)
{
    QByteArray output(size, '\0');
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        return {};
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(compressed.constData()));
    stream.avail_in = static_cast<uInt>(compressed.size());
    stream.next_out = reinterpret_cast<Bytef *>(output.data());
    stream.avail_out = size;
    const int result = inflate(&stream, Z_FINISH);
    inflateEnd(&stream);
    return result == Z_STREAM_END ? output : QByteArray();
}

// The entries of a zip archive, stored or deflated, read through its central directory.
std::map<QString, QByteArray> readZip(const QByteArray &zip)
{
    std::map<QString, QByteArray> entries;
    const qsizetype end = zip.lastIndexOf(QByteArray("PK\x05\x06", 4));
    if (end < 0 || end + 22 > zip.size())
        return entries;
    qsizetype at = little(zip, end + 16, 4);
    for (quint32 n = little(zip, end + 10, 2); n > 0 && at + 46 <= end; --n) {
        const quint32 method = little(zip, at + 10, 2);
        const quint32 compressedSize = little(zip, at + 20, 4);
        const quint32 size = little(zip, at + 24, 4);
        const quint32 nameLength = little(zip, at + 28, 2);
        const qsizetype local = little(zip, at + 42, 4);
        const QString name = QString::fromUtf8(zip.mid(at + 46, nameLength));
        at += 46 + nameLength + little(zip, at + 30, 2) + little(zip, at + 32, 2);
        if (local + 30 > zip.size())
            continue;
        const QByteArray data = zip.mid(
            local + 30 + little(zip, local + 26, 2) + little(zip, local + 28, 2), compressedSize);
        entries[name] = method == 0 ? data : inflateRaw(data, size);
    }
    return entries;
}

QStringList sharedStrings(const QByteArray &xml)
{
    QStringList strings;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == QLatin1String("si"))
            strings << QString();
        else if (reader.isStartElement() && reader.name() == QLatin1String("t") &&
                 !strings.isEmpty())
            strings.last() += reader.readElementText();
    }
    return strings;
}

QStringList styleFormats(const QByteArray &xml)
{
    std::map<QString, QString> codes{{QStringLiteral("0"), QStringLiteral("General")}};
    QStringList formats;
    bool inCellStyles = false;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == QLatin1String("numFmt")) {
            codes[reader.attributes().value("numFmtId").toString()] =
                reader.attributes().value("formatCode").toString();
        } else if (reader.name() == QLatin1String("cellXfs")) {
            inCellStyles = reader.isStartElement();
        } else if (inCellStyles && reader.isStartElement() &&
                   reader.name() == QLatin1String("xf")) {
            formats << codes[reader.attributes().value("numFmtId").toString()];
        }
    }
    return formats;
}

std::map<QString, SheetCell> sheetCells(const QByteArray &xml, const QStringList &strings)
{
    std::map<QString, SheetCell> cells;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement() || reader.name() != QLatin1String("c"))
            continue;
        const QXmlStreamAttributes attributes = reader.attributes();
        SheetCell cell;
        cell.type = attributes.hasAttribute("t") ? attributes.value("t").toString() : "n";
        cell.style = attributes.value("s").toInt();
        const QString reference = attributes.value("r").toString();
        while (reader.readNextStartElement()) {
            if (reader.name() == QLatin1String("v")) {
                cell.value = reader.readElementText();
            } else if (reader.name() == QLatin1String("is")) {
                // A text written into its cell, <is><t>text</t></is>.
                while (reader.readNextStartElement())
                    cell.value += reader.readElementText(QXmlStreamReader::IncludeChildElements);
            } else {
                reader.skipCurrentElement();
            }
        }
        if (cell.type == QLatin1String("s"))
            cell.value = strings.value(cell.value.toInt());
        // A string is a string, whether from the table of texts or written into its cell.
        if (cell.type == QLatin1String("inlineStr"))
            cell.type = QStringLiteral("s");
        cells[reference] = cell;
    }
    return cells;
}

} // namespace

Workbook ReadWorkbook(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    std::map<QString, QByteArray> entries = readZip(file.readAll());
    const auto sheet = entries.find(QStringLiteral("xl/worksheets/sheet1.xml"));
    if (sheet == entries.end())
        return {};
    Workbook workbook;
    workbook.readable = true;
    workbook.styleFormats = styleFormats(entries[QStringLiteral("xl/styles.xml")]);
    workbook.cells =
        sheetCells(sheet->second, sharedStrings(entries[QStringLiteral("xl/sharedStrings.xml")]));
    return workbook;
}
