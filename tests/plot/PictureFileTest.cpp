#include "plot/PictureFile.h"

#include "tests/support/PdfFiles.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A black square in the top-left quarter of 400 x 200 pixels at 127 dots an inch.
const PictureDrawing Square{QSize(400, 200), 127, QStringLiteral("Квадрат"), [](QPainter &painter) {
                                painter.fillRect(QRect(0, 0, 100, 100), Qt::black);
                            }};

TEST(PictureFile, TheNameSaysTheFormInAnyCaseAndNothingElseIsGuessed)
{
    EXPECT_EQ(PictureFormOf(QStringLiteral("a/graph.png")), PictureForm::Png);
    EXPECT_EQ(PictureFormOf(QStringLiteral("graph.PNG")), PictureForm::Png);
    EXPECT_EQ(PictureFormOf(QStringLiteral("graph.Svg")), PictureForm::Svg);
    EXPECT_EQ(PictureFormOf(QStringLiteral("graph.v2.pdf")), PictureForm::Pdf);
    for (const char *name : {"graph.jpg", "graph", "graph.png.bak", "graphpng", "pdf", ""})
        EXPECT_EQ(PictureFormOf(QString::fromLatin1(name)), std::nullopt) << name;
}

// Each form holds what its name promises, at the drawing's size and resolution; a name of no
// form, a cancelled PNG and a folder that is not there leave every file as it was.
TEST(PictureFile, WritesTheFormOfTheNameWholeOrNotAtAll)
{
    QTemporaryDir dir;
    const auto path = [&dir](const char *name) { return dir.filePath(QString::fromLatin1(name)); };

    ASSERT_TRUE(WritePictureFile(path("a.PNG"), InPlaceWrites::Refused, Square).written());
    const QImage png(path("a.PNG"), "PNG");
    ASSERT_EQ(png.size(), QSize(400, 200));
    EXPECT_EQ(png.pixelColor(50, 50), QColor(Qt::black));
    EXPECT_EQ(png.pixelColor(300, 150), QColor(Qt::white));
    EXPECT_EQ(qRound(png.dotsPerMeterX() * 0.0254), 127);

    ASSERT_TRUE(WritePictureFile(path("a.svg"), InPlaceWrites::Refused, Square).written());
    const QByteArray svg = contents(path("a.svg"));
    EXPECT_TRUE(svg.contains("viewBox=\"0 0 400 200\"")) << svg.left(300).constData();
    EXPECT_TRUE(svg.contains("<title>Квадрат</title>"));

    ASSERT_TRUE(WritePictureFile(path("a.pdf"), InPlaceWrites::Refused, Square).written());
    EXPECT_EQ(PdfInfo(path("a.pdf"), QStringLiteral("Title")), QStringLiteral("Квадрат"));
    // 400 x 200 dots of 1/127 inch are 80 x 40 mm, 226.8 x 113.4 points.
    const QStringList page = PdfInfo(path("a.pdf"), QStringLiteral("Page size")).split(u' ');
    ASSERT_GE(page.size(), 3) << page.join(u' ').toStdString();
    EXPECT_NEAR(page[0].toDouble(), 226.8, 1.0);
    EXPECT_NEAR(page[2].toDouble(), 113.4, 1.0);

    const QByteArray before = contents(path("a.PNG"));
    QFile::copy(path("a.PNG"), path("a.jpg"));
    EXPECT_EQ(WritePictureFile(path("a.jpg"), InPlaceWrites::Refused, Square).fault,
              PictureFault::UnknownForm);
    EXPECT_EQ(WritePictureFile(path("b"), InPlaceWrites::Refused, Square).fault,
              PictureFault::UnknownForm);
    EXPECT_EQ(contents(path("a.jpg")), before);

    const std::atomic<bool> cancelled{true};
    EXPECT_EQ(WritePngFile(path("a.PNG"), InPlaceWrites::Refused, png, cancelled).fault,
              PictureFault::Cancelled);
    EXPECT_EQ(contents(path("a.PNG")), before);

    const PictureWriting missing =
        WritePictureFile(path("missing/a.pdf"), InPlaceWrites::Refused, Square);
    EXPECT_EQ(missing.fault, PictureFault::NotWritten);
    EXPECT_FALSE(missing.reason.isEmpty());
    QStringList left =
        QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot);
    left.sort(Qt::CaseInsensitive);
    EXPECT_EQ(left, (QStringList{"a.jpg", "a.pdf", "a.PNG", "a.svg"}));
}

} // namespace
