#pragma once

#include "acquisition/MeasurementTableModel.h"
#include "companions/TermDataFile.h"
#include "graph/GraphController.h"

// A graph window as the graph button leaves it for a table of three readings, 1 to 3 s.
struct LaunchedGraph
{
    explicit LaunchedGraph(Prompts &prompts) : controller(prompts)
    {
        for (int i = 0; i < 3; ++i) {
            series.Add((i + 1) * 1000, 300 + i, 950);
            table.appendRow({0, (i + 1) * 1000, 300 + i, 950, 0}, i);
        }
        controller.OnGraph(series, table, {});
    }

    TermDataFile series;
    MeasurementTableModel table;
    // Last: the window reads the series and the table until it is gone.
    GraphController controller;
};
