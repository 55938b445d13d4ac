#include "bench/DataFiles.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char **environ;

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

std::vector<std::string> WriteDailyDataFiles(const std::string &stem, int days)
{
    constexpr int SecondsPerDay = 86'400;
    std::vector<std::string> paths;
    char line[64];
    for (int day = 0; day < days; ++day) {
        char name[128];
        // From the first of a month of 31 days: the bench asks for fewer.
        std::snprintf(name, sizeof name, "%s-2026-12-%02d.orm", stem.c_str(), day % 31 + 1);
        const std::filesystem::path path = std::filesystem::temp_directory_path() / name;
        std::vector<char> bytes;
        bytes.reserve(std::size_t{SecondsPerDay} * 37);
        for (int second = 0; second < SecondsPerDay; ++second) {
            const int length =
                std::snprintf(line, sizeof line, "%4d %02d:%02d:%02d:00 E=0.950 T=%4d TRC\r\n",
                              (second + 1) % 10000, second / 3600, second / 60 % 60, second % 60,
                              200 + (day * SecondsPerDay + second) % 800);
            bytes.insert(bytes.end(), line, line + length);
        }
        std::ofstream(path, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        paths.push_back(path.string());
    }
    return paths;
}

ProcessRun RunProcess(std::vector<std::string> arguments, const std::string &output)
{
    // A process started from this one begins with this one's peak memory as its own; GNU time,
    // small itself, starts the program and tells the program's own peak.
    const std::filesystem::path peakFile =
        std::filesystem::temp_directory_path() / "orma-bench-peak.txt";
    const bool timed = std::filesystem::exists("/usr/bin/time");
    if (timed)
        arguments.insert(arguments.begin(), {"/usr/bin/time", "-f", "%M", "-o", peakFile.string()});
    std::vector<char *> argv;
    for (std::string &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0644);
    pid_t child = 0;
    const bool started =
        posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    const bool ended = started && waitpid(child, &status, 0) == child;
    ProcessRun run{ended && WIFEXITED(status) && WEXITSTATUS(status) == 0, 0};
    if (timed)
        std::ifstream(peakFile) >> run.peakKiB;
    return run;
}
