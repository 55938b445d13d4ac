#include "graph/GraphPicture.h"

#include "companions/CRangeBar.h"
#include "companions/TermDataFile.h"
#include "graph/CGraphWnd.h"
#include "tests/support/LaunchedGraph.h"
#include "tests/support/PdfFiles.h"
#include "tests/support/ScriptedPrompts.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProgressDialog>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(GraphPicture, SizesAreTwoWholeNumbersWithinLimits)
{
    for (const char *text :
         {"800 x 500", "800x500", " 800 х 500 ", "800×500", "800*500", "800 500"})
        EXPECT_EQ(ParsePictureSize(QString::fromUtf8(text)), QSize(800, 500)) << text;
    for (const char *text : {"", "800", "800 x", "x 500", "800.5 x 500", "-800 x 500", "99 x 500",
                             "800 x 10001", "800 x 500 x 2", "восемьсот x 500"})
        EXPECT_EQ(ParsePictureSize(QString::fromUtf8(text)), std::nullopt) << text;
    EXPECT_EQ(ParsePictureSize(PictureSizeText({1024, 768})), QSize(1024, 768));
}

// A heating curve in a window of 600 x 400, zoomed in on its first half.
class GraphPictureTest : public testing::Test
{
protected:
    GraphPictureTest()
    {
        for (int second = 0; second <= 100; ++second)
            m_series.Add(second * 1000, 20 + second * 8, 950);
        m_series.minTemperature = 20;
        m_series.maxTemperature = 820;
        m_frame.OnSetSeries(GraphSeriesLimits(20, 820), &m_series);
        m_frame.timeBar()->SetMin(0);
        m_frame.timeBar()->SetMax(100000);
        m_frame.temperatureBar()->SetWinMin(20);
        m_frame.temperatureBar()->SetWinMax(820);
        m_frame.show();
        m_frame.resize(600, 400);
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&m_frame));
        m_frame.timeBar()->SetWinMax(50000);
    }

    QString path(const char *name) const { return m_dir.filePath(QString::fromLatin1(name)); }

    QTemporaryDir m_dir;
    TermDataFile m_series;
    CGraphWnd m_frame;
};

// The picture is the window: what the window shows on screen, pixel for pixel, at its size;
// at another size it is laid out anew, not stretched.
TEST_F(GraphPictureTest, IsTheWindowAsShownAndIsLaidOutForAnotherSize)
{
    const QImage shown = m_frame.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QImage picture = GraphImage(m_frame, m_frame.size());
    ASSERT_EQ(picture.size(), shown.size());
    EXPECT_EQ(picture, shown);

    const QImage large = GraphImage(m_frame, {1200, 800});
    EXPECT_EQ(large.size(), QSize(1200, 800));
    // Not stretched: the status line's first panes are the window's, pixel for pixel.
    const int statusLine = m_frame.statusLine()->height();
    EXPECT_EQ(large.copy(0, 800 - statusLine, 300, statusLine),
              shown.copy(0, 400 - statusLine, 300, statusLine));
    // The window itself is left as it was.
    EXPECT_EQ(m_frame.size(), QSize(600, 400));
    EXPECT_EQ(m_frame.timeBar()->GetWinMax(), 50000);
}

TEST_F(GraphPictureTest, IsWrittenAsPngSvgOrPdfByTheNameAndNeverHalfWritten)
{
    ASSERT_TRUE(WriteGraphPicture(m_frame, {800, 500}, path("graph.png")));
    EXPECT_EQ(QImage(path("graph.png")).size(), QSize(800, 500));

    ASSERT_TRUE(WriteGraphPicture(m_frame, {800, 500}, path("graph.SVG")));
    QFile svg(path("graph.SVG"));
    ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
    const QByteArray text = svg.readAll();
    EXPECT_TRUE(text.contains("<svg")) << text.left(200).constData();
    EXPECT_TRUE(text.contains("viewBox=\"0 0 800 500\""));
    // The curve is drawn as lines, not embedded as pixels.
    EXPECT_FALSE(text.contains("<image"));

    ASSERT_TRUE(WriteGraphPicture(m_frame, {800, 500}, path("graph.pdf")));
    EXPECT_EQ(PdfInfo(path("graph.pdf"), QStringLiteral("Pages")), "1");
    // The status line's texts are the caption.
    EXPECT_TRUE(PdfText(path("graph.pdf")).contains(m_frame.statusText(2)))
        << PdfText(path("graph.pdf")).toStdString();

    // A name of no picture form: false, and nothing written.
    EXPECT_FALSE(WriteGraphPicture(m_frame, {800, 500}, path("graph.jpg")));
    EXPECT_FALSE(QFile::exists(path("graph.jpg")));

    // Into a folder that is not there: false, and nothing written.
    EXPECT_FALSE(WriteGraphPicture(m_frame, {800, 500}, path("missing/graph.png")));
    EXPECT_FALSE(QDir(path("missing")).exists());
}

// Presses a progress dialog's cancel button as the dialog shows.
class CancelOnShow : public QObject
{
public:
    QString label;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *progress = qobject_cast<QProgressDialog *>(watched);
        if (progress != nullptr && event->type() == QEvent::Show) {
            label = progress->labelText();
            progress->findChild<QPushButton *>()->click();
        }
        return false;
    }
};

// A PNG is encoded and written on a worker thread under a progress dialog; "Отмена" leaves the
// file that was there as it was, and nothing else in its folder.
TEST_F(GraphPictureTest, ACancelledSaveLeavesTheFileAsItWas)
{
    const QString file = path("graph.png");
    ASSERT_TRUE(WriteGraphPicture(m_frame, {300, 200}, file));
    const auto contents = [&file] {
        QFile read(file);
        return read.open(QIODevice::ReadOnly) ? read.readAll() : QByteArray();
    };
    const QByteArray before = contents();
    // The user's "Отмена" as soon as the dialog shows.
    CancelOnShow cancel;
    qApp->installEventFilter(&cancel);
    EXPECT_EQ(SaveGraphPicture(m_frame, {4000, 4000}, file, &m_frame), PictureSaving::Cancelled);
    qApp->removeEventFilter(&cancel);
    EXPECT_EQ(cancel.label, QStringLiteral("Сохранение изображения..."));
    EXPECT_EQ(contents(), before);
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"graph.png"});

    EXPECT_EQ(SaveGraphPicture(m_frame, {640, 480}, file, &m_frame), PictureSaving::Written);
    EXPECT_EQ(QImage(file).size(), QSize(640, 480));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// The menu's command as the user meets it: the file, the size offered as the window's, a
// size that will not do and the question again, the outcome told.
TEST(GraphPictureCommand, AsksForTheFileAndASizeUntilItWillDoAndTellsTheOutcome)
{
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    const LaunchedGraph graph(prompts);
    CGraphWnd *frame = graph.controller.graphWnd();
    ASSERT_NE(frame, nullptr);
    const QString path = dir.filePath(QStringLiteral("graph.png"));
    prompts.paths = {path};
    prompts.textAnswers = {QStringLiteral("50 x 50"), QStringLiteral("640 x 480")};
    frame->command(QStringLiteral("saveImage"))->trigger();

    ASSERT_EQ(prompts.askedTexts.size(), 2u);
    EXPECT_EQ(prompts.askedTexts[0].second, PictureSizeText(frame->size()));
    EXPECT_EQ(prompts.askedTexts[1].second, "50 x 50");
    EXPECT_EQ(prompts.texts(),
              (QStringList{QStringLiteral("Размер задается двумя целыми числами от 100 до 10000, "
                                          "например %1.")
                               .arg(PictureSizeText(frame->size())),
                           QStringLiteral("Изображение графика записано в файл.")}));
    EXPECT_EQ(QImage(path).size(), QSize(640, 480));

    // Cancelled at the size: nothing written, nothing said.
    prompts.paths = {dir.filePath(QStringLiteral("other.png"))};
    frame->command(QStringLiteral("saveImage"))->trigger();
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("other.png"))));
    EXPECT_EQ(prompts.shown.size(), 2u);

    // A name of another form: said, and the file asked for again.
    prompts.paths = {dir.filePath(QStringLiteral("graph.jpg")),
                     dir.filePath(QStringLiteral("graph.svg"))};
    prompts.textAnswers = {QStringLiteral("640 x 480")};
    frame->command(QStringLiteral("saveImage"))->trigger();
    EXPECT_EQ(prompts.texts().mid(2),
              (QStringList{QStringLiteral("Изображение записывается в файл PNG, SVG или PDF: имя "
                                          "файла должно оканчиваться на .png, .svg или .pdf."),
                           QStringLiteral("Изображение графика записано в файл.")}));
    EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("graph.jpg"))));
    EXPECT_TRUE(QFile::exists(dir.filePath(QStringLiteral("graph.svg"))));
}

} // namespace
