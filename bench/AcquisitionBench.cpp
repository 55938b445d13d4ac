#include "acquisition/AcquisitionControl.h"
#include "acquisition/MeasurementTableModel.h"
#include "acquisition/ReceiveBuffer.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>

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

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
