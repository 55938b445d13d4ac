#include "bench/DataFiles.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

std::string WriteNumberedDataFile(const std::string &name, std::int64_t lines)
{
    const std::filesystem::path path = std::filesystem::temp_directory_path() / name;
    std::ofstream file(path, std::ios::binary);
    std::vector<char> chunk;
    char line[64];
    for (std::int64_t number = 1; number <= lines; ++number) {
        const std::int64_t hundredths = number % 8'640'000;
        const int length = std::snprintf(
            line, sizeof line, "%4d %02d:%02d:%02d:%02d E=0.950 T=%4d TRC\r\n",
            static_cast<int>(number % 10000), static_cast<int>(hundredths / 360000),
            static_cast<int>(hundredths / 6000 % 60), static_cast<int>(hundredths / 100 % 60),
            static_cast<int>(hundredths % 100), static_cast<int>(200 + number % 800));
        chunk.insert(chunk.end(), line, line + length);
        if (chunk.size() > 1 << 20) {
            file.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
            chunk.clear();
        }
    }
    file.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    return path.string();
}
