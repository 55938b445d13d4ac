#pragma once

#include <array>

// The graph window's context menu.
enum GraphCommand
{
    ID_GRAPH_LIMITS = 32776,
    ID_GRAPH_NO_GAPS = 32778,
    ID_GRAPH_PRINT = 32779,
    ID_GRAPH_WHOLE = 32785,
    ID_GRAPH_AUTO_LIMITS = 32786,
    ID_GRAPH_FOLLOW = 32790,
    ID_GRAPH_SAVE_IMAGE = 32791,
    ID_GRAPH_COPY_IMAGE = 32792,
    ID_GRAPH_EXPORT_CSV = 32793,
    ID_GRAPH_THRESHOLDS = 32794,
    ID_GRAPH_STATISTICS = 32795,
    ID_GRAPH_REMOVE_MARKER = 32796,
};

// One entry: a command, or (id 0) a submenu holding the entries that follow it one level
// deeper.
struct MenuItemTemplate
{
    int id;
    const char *text; // UTF-8
    int level;
};

inline constexpr std::array<MenuItemTemplate, 13> GraphMenuItems{{
    {ID_GRAPH_PRINT, "Печать...", 0},
    {ID_GRAPH_SAVE_IMAGE, "Сохранить изображение...", 0},
    {ID_GRAPH_COPY_IMAGE, "Копировать изображение", 0},
    {ID_GRAPH_EXPORT_CSV, "Экспорт видимых данных в CSV...", 0},
    {0, "Просмотр", 0},
    {ID_GRAPH_WHOLE, "Весь график", 1},
    {ID_GRAPH_AUTO_LIMITS, "Автоматический выбор пределов температуры", 1},
    {ID_GRAPH_LIMITS, "Пределы по шкале температуры", 1},
    {ID_GRAPH_NO_GAPS, "Не отображать разрывы в измерениях", 1},
    {ID_GRAPH_THRESHOLDS, "Пороги...", 1},
    {ID_GRAPH_STATISTICS, "Статистика", 1},
    {ID_GRAPH_FOLLOW, "Следить за приемом", 0},
    {ID_GRAPH_REMOVE_MARKER, "Убрать маркер", 0},
}};
