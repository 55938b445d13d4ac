#include "companions/ProcessMemory.h"

#include <QApplication>

#include <benchmark/benchmark.h>

// Benchmarks of the program's real windows, shown on the offscreen platform, in a process
// set up as the program sets itself up.
int main(int argc, char **argv)
{
    KeepFreedMemoryForReuse();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
