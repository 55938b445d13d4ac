#include "acquisition/AcquisitionControl.h"
#include "acquisition/MeasurementTableModel.h"
#include "acquisition/ReadBack.h"
#include "acquisition/Reception.h"
#include "app/CORMADlg.h"
#include "bench/DataFiles.h"
#include "bench/MainWindowBench.h"
#include "outputs/ExcelTransfer.h"
#include "resources/MainDialogTemplate.h"
#include "resources/SettingsKeys.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

// A window that shows nothing: what a reception does apart from drawing.
class TableOnlyView : public AcquisitionView
{
public:
    std::optional<double> enteredPeriod() const override { return 0.0; }
    void setProgress(int) override {}
    void setWaitCursor(bool) override {}
    void updateControls() override {}
};

class FilePrompts : public Prompts
{
public:
    explicit FilePrompts(QString path) : m_path(std::move(path)) {}
    Answer message(const QString &, const QString &, Icon, Buttons) override { return Answer::Ok; }
    QString openFileName(const FileRequest &) override { return m_path; }
    QString saveFileName(const FileRequest &) override { return {}; }
    std::optional<QString> askText(const QString &, const QString &, const QString &) override
    {
        return std::nullopt;
    }
    bool printDialog(QPrinter &) override { return false; }

private:
    QString m_path;
};

std::string numberedLine(int number)
{
    char line[64];
    std::snprintf(line, sizeof line, "%4d %02d:%02d:%02d:%02d E=0.950 T=%4d TRC\r\n",
                  number % 10000, number / 3600 % 24, number / 60 % 60, number % 60, number % 100,
                  400 + number % 500);
    return line;
}

// A data file just under the receive buffer's size, as a long download leaves it.
QString writeFullDataFile(const QTemporaryDir &dir, int &lines)
{
    const QString path = dir.filePath("full.orm");
    std::ofstream file(path.toStdString(), std::ios::binary);
    std::size_t size = 0;
    for (lines = 0;; ++lines) {
        const std::string line = numberedLine(lines + 1);
        if (size + line.size() > ReceiveBufferSize)
            break;
        file << line;
        size += line.size();
    }
    return path;
}

// A day and more of readings every 10 ms: 100 MiB, about 2.8 million lines, written once.
const std::string &largeDataFile()
{
    static const std::string path =
        WriteNumberedDataFile("orma-bench-100mib.orm", (std::int64_t{100} << 20) / 37);
    return path;
}

// The peak of the process's resident memory since the last call, in bytes: each call starts
// a new peak from the memory resident now.
class PeakMemory
{
public:
    PeakMemory() { restart(); }
    void restart()
    {
        std::ofstream("/proc/self/clear_refs") << "5";
        m_start = field("VmRSS:");
    }
    // The growth of the resident memory at its peak since restart.
    double growth() const { return static_cast<double>(field("VmHWM:") - m_start); }

private:
    static std::int64_t field(const std::string &name)
    {
        std::ifstream status("/proc/self/status");
        std::string key;
        std::int64_t kib = 0;
        while (status >> key) {
            if (key == name && status >> kib)
                return kib * 1024;
            status.ignore(1 << 10, '\n');
        }
        return 0;
    }

    std::int64_t m_start = 0;
};

} // namespace

// Reading back a data file that fills the buffer, until the table holds every row.
static void BM_ReadBackFullDataFile(benchmark::State &state)
{
    QTemporaryDir dir;
    int lines = 0;
    FilePrompts prompts(writeFullDataFile(dir, lines));
    TableOnlyView view;
    AcquisitionControl control(view, prompts);
    control.setSource(QStringLiteral("file"), true);

    for (auto _ : state) {
        control.OnGetData();
        while (control.state() != AcquisitionState::DataReady)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    if (control.table().rowCount() != lines)
        state.SkipWithError("the table did not receive every line");
    state.SetItemsProcessed(state.iterations() * lines);
    state.counters["rows"] = lines;
}
BENCHMARK(BM_ReadBackFullDataFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same read-back through the program's main window, shown on the offscreen platform,
// until its output buttons appear; with the longest time its thread was kept busy.
static void BM_ReadBackThroughMainWindow(benchmark::State &state)
{
    QTemporaryDir dir;
    int lines = 0;
    FilePrompts prompts(writeFullDataFile(dir, lines));
    QSettings settings(dir.filePath("orma.conf"), QSettings::IniFormat);
    settings.setValue(SettingsKeys::Port, "file");
    NoSpreadsheet spreadsheet;
    CORMADlg window(prompts, settings, spreadsheet);
    window.show();
    auto *getData = static_cast<QPushButton *>(window.control(IDC_GET_DATA));
    QWidget *save = window.control(IDC_SAVE);
    Heartbeat heartbeat;
    qint64 longestBlock = 0;

    for (auto _ : state) {
        heartbeat.start();
        getData->click();
        while (window.acquisition().state() != AcquisitionState::DataReady || !save->isVisible())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        longestBlock = std::max(longestBlock, heartbeat.stop());
    }
    if (window.table().rowCount() != lines)
        state.SkipWithError("the table did not receive every line");
    state.counters["rows"] = lines;
    state.counters["longest_block_ms"] = static_cast<double>(longestBlock);
}
BENCHMARK(BM_ReadBackThroughMainWindow)->Unit(benchmark::kMillisecond)->UseRealTime();

// A data file of 100 MiB read back whole through the main window, from the click of
// "Получить данные" until the output buttons show; with the longest time the window's thread
// was kept busy and the growth of the resident memory at its peak over the file's size.
static void BM_OpenLargeFileThroughMainWindow(benchmark::State &state)
{
    QTemporaryDir dir;
    const std::string &path = largeDataFile();
    const auto fileSize = static_cast<double>(std::filesystem::file_size(path));
    FilePrompts prompts(QString::fromStdString(path));
    QSettings settings(dir.filePath("orma.conf"), QSettings::IniFormat);
    settings.setValue(SettingsKeys::Port, "file");
    NoSpreadsheet spreadsheet;
    auto window = std::make_unique<CORMADlg>(prompts, settings, spreadsheet);
    window->show();
    QCoreApplication::processEvents();
    auto *getData = static_cast<QPushButton *>(window->control(IDC_GET_DATA));
    QWidget *save = window->control(IDC_SAVE);
    Heartbeat heartbeat;
    qint64 longestBlock = 0;
    double peakGrowth = 0;
    int rows = 0;

    for (auto _ : state) {
        PeakMemory memory;
        heartbeat.start();
        getData->click();
        while (window->acquisition().state() != AcquisitionState::DataReady || !save->isVisible())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        longestBlock = std::max(longestBlock, heartbeat.stop());
        peakGrowth = std::max(peakGrowth, memory.growth());
        rows = window->table().rowCount();
    }
    if (static_cast<std::int64_t>(rows) != (std::int64_t{100} << 20) / 37)
        state.SkipWithError("the table did not receive every line");
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fileSize));
    state.counters["rows"] = rows;
    state.counters["longest_block_ms"] = static_cast<double>(longestBlock);
    state.counters["peak_memory_per_file_size"] = peakGrowth / fileSize;
}
BENCHMARK(BM_OpenLargeFileThroughMainWindow)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

// Baseline: the same file read back whole by the core alone, as orma-cli does, without a
// window and without a second thread.
static void BM_OpenLargeFileWithoutWindow(benchmark::State &state)
{
    const std::string &path = largeDataFile();
    const auto fileSize = static_cast<double>(std::filesystem::file_size(path));
    double peakGrowth = 0;
    int rows = 0;
    for (auto _ : state) {
        PeakMemory memory;
        ReadBack readBack;
        readBack.read(path, PollMode::FromMemory);
        rows = readBack.table().rowCount();
        peakGrowth = std::max(peakGrowth, memory.growth());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(fileSize));
    state.counters["rows"] = rows;
    state.counters["peak_memory_per_file_size"] = peakGrowth / fileSize;
}
BENCHMARK(BM_OpenLargeFileWithoutWindow)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

namespace {

constexpr int JoinedDays = 14;
constexpr std::int64_t JoinedReadings = std::int64_t{JoinedDays} * 86'400;

// Two weeks of daily files at one reading a second, 43 MiB in all, written once.
const std::vector<std::string> &dailyFiles()
{
    static const std::vector<std::string> paths =
        WriteDailyDataFiles("orma-bench-daily", JoinedDays);
    return paths;
}

// One file of the same size and number of readings.
const std::string &daysInOneFile()
{
    static const std::string path = WriteNumberedDataFile("orma-bench-days.orm", JoinedReadings);
    return path;
}

// Opens paths through the main window, as the file dialog or a drop of them does, until its
// output buttons show; with the longest time the window's thread was kept busy and the growth
// of the resident memory at its peak, in MiB and over the files' size.
void openThroughMainWindow(benchmark::State &state, const std::vector<std::string> &paths)
{
    QTemporaryDir dir;
    QStringList files;
    double size = 0;
    for (const std::string &path : paths) {
        files << QString::fromStdString(path);
        size += static_cast<double>(std::filesystem::file_size(path));
    }
    FilePrompts prompts(files.first());
    QSettings settings(dir.filePath("orma.conf"), QSettings::IniFormat);
    settings.setValue(SettingsKeys::Port, "file");
    NoSpreadsheet spreadsheet;
    auto window = std::make_unique<CORMADlg>(prompts, settings, spreadsheet);
    window->show();
    QCoreApplication::processEvents();
    QWidget *save = window->control(IDC_SAVE);
    Heartbeat heartbeat;
    qint64 longestBlock = 0;
    double peakGrowth = 0;
    int rows = 0;
    for (auto _ : state) {
        PeakMemory memory;
        heartbeat.start();
        window->OpenDataFiles(files);
        while (window->acquisition().state() != AcquisitionState::DataReady || !save->isVisible())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        longestBlock = std::max(longestBlock, heartbeat.stop());
        peakGrowth = std::max(peakGrowth, memory.growth());
        rows = window->table().rowCount();
    }
    if (rows != JoinedReadings)
        state.SkipWithError("the table did not receive every line");
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(size));
    state.counters["rows"] = rows;
    state.counters["longest_block_ms"] = static_cast<double>(longestBlock);
    state.counters["peak_memory_mib"] = peakGrowth / (1 << 20);
    state.counters["peak_memory_per_file_size"] = peakGrowth / size;
}

} // namespace

// Fourteen daily files joined into one timeline through the main window.
static void BM_OpenTwoWeeksOfDailyFilesThroughMainWindow(benchmark::State &state)
{
    openThroughMainWindow(state, dailyFiles());
}
BENCHMARK(BM_OpenTwoWeeksOfDailyFilesThroughMainWindow)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

// Baseline: one file of the same size read whole through the main window.
static void BM_OpenOneFileOfTheSameSizeThroughMainWindow(benchmark::State &state)
{
    openThroughMainWindow(state, {daysInOneFile()});
}
BENCHMARK(BM_OpenOneFileOfTheSameSizeThroughMainWindow)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

// Baseline: the same file read with one read() call per byte and nothing else.
static void BM_FileWithOneReadPerByte(benchmark::State &state)
{
    QTemporaryDir dir;
    int lines = 0;
    const QByteArray path = writeFullDataFile(dir, lines).toLocal8Bit();
    std::int64_t bytes = 0;
    for (auto _ : state) {
        const int fd = ::open(path.constData(), O_RDONLY);
        char byte = 0;
        while (::read(fd, &byte, 1) == 1)
            ++bytes;
        ::close(fd);
    }
    state.SetBytesProcessed(bytes);
}
BENCHMARK(BM_FileWithOneReadPerByte)->Unit(benchmark::kMillisecond)->UseRealTime();

// Baseline: the file read at once, cut into lines and parsed, with no window and no thread.
static void BM_FileReadSplitParse(benchmark::State &state)
{
    QTemporaryDir dir;
    int lines = 0;
    const std::string path = writeFullDataFile(dir, lines).toStdString();
    int parsed = 0;
    for (auto _ : state) {
        std::ifstream file(path, std::ios::binary);
        const std::string data((std::istreambuf_iterator<char>(file)),
                               std::istreambuf_iterator<char>());
        parsed = 0;
        for (std::size_t start = 0; start < data.size();) {
            const std::size_t end = std::min(data.find('\n', start), data.size() - 1) + 1;
            DeviceReading reading{};
            parsed +=
                ParseDeviceLine(data.data() + start, end - start, PollMode::FromMemory, reading);
            start = end;
        }
        benchmark::DoNotOptimize(parsed);
    }
    if (parsed != lines)
        state.SkipWithError("not every line parsed");
}
BENCHMARK(BM_FileReadSplitParse)->Unit(benchmark::kMillisecond)->UseRealTime();

// The main window holding 100 000 rows, as a long reception leaves it.
class LongTableWindow
{
public:
    static constexpr int Rows = 100'000;

    LongTableWindow() : m_prompts({}), m_settings(m_dir.filePath("orma.conf"), QSettings::IniFormat)
    {
        m_settings.setValue(SettingsKeys::Port, "file");
        m_window = std::make_unique<CORMADlg>(m_prompts, m_settings, m_spreadsheet);
        std::vector<MeasurementTableModel::Row> rows;
        TermDataFile &series = m_window->acquisition().series();
        for (int i = 0; i < Rows; ++i) {
            const DeviceReading reading{static_cast<std::int16_t>(i % 10000), 1000 + i * 100,
                                        400 + i % 500, 950, 0};
            rows.push_back({reading, series.count});
            series.Add(reading.time, reading.temperature, 950);
        }
        m_window->table().appendRows(rows);
        m_window->show();
        m_list = static_cast<QAbstractItemView *>(m_window->control(IDC_TABLE));
    }

    CORMADlg &window() { return *m_window; }
    QAbstractItemView &list() { return *m_list; }

private:
    QTemporaryDir m_dir;
    FilePrompts m_prompts;
    QSettings m_settings;
    NoSpreadsheet m_spreadsheet;
    std::unique_ptr<CORMADlg> m_window;
    QAbstractItemView *m_list = nullptr;
};

// Ctrl+A over the table of a long reception, until the window has taken the selection in.
static void BM_SelectAllOfALongTable(benchmark::State &state)
{
    LongTableWindow table;
    for (auto _ : state) {
        state.PauseTiming();
        table.list().clearSelection();
        QCoreApplication::processEvents();
        state.ResumeTiming();
        table.list().selectAll();
        QCoreApplication::processEvents();
    }
    state.counters["rows"] = static_cast<double>(table.window().selectedRows().size());
}
BENCHMARK(BM_SelectAllOfALongTable)->Unit(benchmark::kMillisecond)->Iterations(20);

// "График" with every row of a long reception selected: the graph series built and shown.
static void BM_GraphOfALongSelection(benchmark::State &state)
{
    LongTableWindow table;
    for (auto _ : state) {
        state.PauseTiming();
        table.list().clearSelection();
        table.list().selectAll(); // a new selection, so the graph series is built anew
        QCoreApplication::processEvents();
        state.ResumeTiming();
        table.window().OnGraph();
        QCoreApplication::processEvents();
    }
    state.counters["points"] = table.window().graphController().graphSeries().count;
}
BENCHMARK(BM_GraphOfALongSelection)->Unit(benchmark::kMillisecond);

// The work the window does for each line: parse, add a row, add a record.
static void BM_PerLineWork(benchmark::State &state)
{
    const std::string line = numberedLine(42);
    MeasurementTableModel table;
    TermDataFile series;
    int row = 0;
    for (auto _ : state) {
        DeviceReading reading{};
        ParseDeviceLine(line.c_str(), line.size(), PollMode::FromMemory, reading);
        table.appendRow(reading, series.count);
        series.Add(reading.time, reading.temperature,
                   static_cast<std::uint16_t>(reading.emissivity));
        if (++row == 100000) {
            state.PauseTiming();
            table.clear();
            series.Clear();
            row = 0;
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_PerLineWork);
