#pragma once

#include <array>

// One entry of the graph window's context menu: a command by its name, or (no command) a
// submenu holding the entries that follow it one level deeper.
struct GraphMenuEntry
{
    const char *command;
    const char *submenu; // UTF-8
    int level;
};

inline constexpr auto GraphMenuEntries = std::to_array<GraphMenuEntry>({
    {"print", nullptr, 0},         {"saveImage", nullptr, 0},  {"copyImage", nullptr, 0},
    {"exportCsv", nullptr, 0},     {"compare", nullptr, 0},    {"alignStart", nullptr, 0},
    {"removeCompare", nullptr, 0}, {"removeRun", nullptr, 0},  {nullptr, "Просмотр", 0},
    {"wholeGraph", nullptr, 1},    {"autoLimits", nullptr, 1}, {"limits", nullptr, 1},
    {"noGaps", nullptr, 1},        {"thresholds", nullptr, 1}, {"statistics", nullptr, 1},
    {"alarm", nullptr, 1},         {"follow", nullptr, 0},     {"removeMarker", nullptr, 0},
    {"note", nullptr, 0},          {"report", nullptr, 0},
});
