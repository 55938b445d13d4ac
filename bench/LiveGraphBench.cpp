#include "acquisition/AcquisitionControl.h"
#include "app/CORMADlg.h"
#include "bench/MainWindowBench.h"
#include "graph/CGraphWnd.h"
#include "outputs/ExcelTransfer.h"
#include "plot/CGraphView.h"
#include "resources/MainDialogTemplate.h"
#include "resources/SettingsKeys.h"
#include "tools/InstrumentLines.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <thread>

// A continuous reception from a pseudo-terminal written as fast as it takes the lines, in the
// program's main window on the offscreen platform, with the graph window following it.
namespace {

constexpr int Lines = 20'000;

class AnsweringPrompts : public Prompts
{
public:
    Answer message(const QString &, const QString &, Icon, Buttons) override { return Answer::Ok; }
    QString openFileName(const FileRequest &) override { return {}; }
    QString saveFileName(const FileRequest &) override { return {}; }
    std::optional<QString> askText(const QString &, const QString &, const QString &) override
    {
        return std::nullopt;
    }
    bool printDialog(QPrinter &) override { return false; }
};

// The instrument's side of a pseudo-terminal.
class FastInstrument
{
public:
    FastInstrument()
    {
        m_master = posix_openpt(O_RDWR | O_NOCTTY);
        grantpt(m_master);
        unlockpt(m_master);
        m_slavePath = ptsname(m_master);
        termios settings{};
        tcgetattr(m_master, &settings);
        cfmakeraw(&settings);
        tcsetattr(m_master, TCSANOW, &settings);
    }
    ~FastInstrument()
    {
        if (m_sender.joinable())
            m_sender.join();
        ::close(m_master);
    }

    QString port() const { return QString::fromStdString(m_slavePath); }

    // Sends the next lines, a hundredth of a second apart in their times, as fast as they go.
    void send(int lines)
    {
        if (m_sender.joinable())
            m_sender.join();
        const int first = m_sent;
        m_sent += lines;
        m_sender = std::thread([this, first, lines] {
            std::string text;
            for (int i = first; i < first + lines; ++i)
                text +=
                    instrument::formatTimedLine((9 * 3600 + 12 * 60) * 100 + i, 950, 400 + i % 500);
            for (std::size_t sent = 0; sent < text.size();) {
                const ssize_t written = ::write(m_master, text.data() + sent, text.size() - sent);
                if (written <= 0)
                    break;
                sent += static_cast<std::size_t>(written);
            }
        });
    }

private:
    int m_master = -1;
    int m_sent = 0;
    std::string m_slavePath;
    std::thread m_sender;
};

// Counts the paints of a widget.
class PaintCounter : public QObject
{
public:
    bool eventFilter(QObject *, QEvent *event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
    int paints = 0;
};

void waitUntil(const std::function<bool()> &condition)
{
    while (!condition())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
}

// Argument 0: the reception alone (the baseline); 1: with the graph following it.
void BM_ContinuousReceptionAtPtySpeed(benchmark::State &state)
{
    const bool graph = state.range(0) != 0;
    qint64 longestBlock = 0;
    double paintsPerSecond = 0;
    for (auto _ : state) {
        QTemporaryDir dir;
        FastInstrument instrument;
        AnsweringPrompts prompts;
        QSettings settings(dir.filePath("orma.conf"), QSettings::IniFormat);
        settings.setValue(SettingsKeys::Port, instrument.port());
        NoSpreadsheet spreadsheet;
        CORMADlg window(prompts, settings, spreadsheet);
        window.show();
        static_cast<QRadioButton *>(window.control(IDC_CONTINUOUS))->click();
        auto *getData = static_cast<QPushButton *>(window.control(IDC_GET_DATA));

        getData->click();
        PaintCounter counter;
        if (graph) {
            instrument.send(2);
            waitUntil([&] { return window.table().rowCount() >= 2; });
            window.OnGraphOfReception();
            window.graphController().graphWnd()->view()->installEventFilter(&counter);
        }
        QElapsedTimer elapsed;
        elapsed.start();
        Heartbeat heartbeat;
        heartbeat.start();
        instrument.send(Lines);
        waitUntil([&] {
            return window.table().rowCount() >= Lines + (graph ? 2 : 0) &&
                   (!graph || window.graphController().graphSeries().count >= Lines + 2);
        });
        longestBlock = std::max(longestBlock, heartbeat.stop());
        paintsPerSecond =
            counter.paints * 1000.0 / static_cast<double>(std::max<qint64>(1, elapsed.elapsed()));
        getData->click(); // "Прервать"
        waitUntil([&] { return window.acquisition().state() == AcquisitionState::DataReady; });
    }
    state.counters["longest_block_ms"] = static_cast<double>(longestBlock);
    state.counters["graph_paints_per_s"] = paintsPerSecond;
    state.SetItemsProcessed(state.iterations() * Lines);
}
BENCHMARK(BM_ContinuousReceptionAtPtySpeed)
    ->ArgName("graph_following")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

} // namespace
