#pragma once

#include <QString>

#include <string_view>

// The string table: UTF-8 texts the program refers to by number.
inline constexpr int IDS_ABOUTBOX = 101;
// The graph window's status line panes; each text is also the width template of its pane.
inline constexpr int ID_INDICATOR_TEMPERATURE = 201;
inline constexpr int ID_INDICATOR_TIME = 202;
inline constexpr int ID_INDICATOR_TEMPERATURE_RANGE = 203;
inline constexpr int ID_INDICATOR_TIME_RANGE = 204;

struct StringTableEntry
{
    int id;
    std::string_view text;
};

inline constexpr StringTableEntry StringTable[] = {
    {IDS_ABOUTBOX, "&About ORMA..."},
    // The degree sign is followed by a Cyrillic Es here, unlike the Latin C of 203.
    {ID_INDICATOR_TEMPERATURE, "Температура 0000 °\u0421 "},
    {ID_INDICATOR_TIME, "Время 00:00:00.000 сек"},
    {ID_INDICATOR_TEMPERATURE_RANGE, "Min 0000 °C - Max 0000 °C"},
    {ID_INDICATOR_TIME_RANGE, "Время от начала опроса 00:00:00.000 сек - 00:00:00.000 сек"},
};

// The text of string id; empty for an id the table does not hold.
constexpr std::string_view stringText(int id)
{
    for (const StringTableEntry &entry : StringTable) {
        if (entry.id == id)
            return entry.text;
    }
    return {};
}

inline QString loadString(int id)
{
    const std::string_view text = stringText(id);
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}
