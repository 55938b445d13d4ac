#include "acquisition/ProcessCommand.h"

#include <fstream>
#include <iterator>

std::string ProcessCommand(const std::string &pid)
{
    std::ifstream comm("/proc/" + pid + "/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

bool ProcessIsZombie(const std::string &pid)
{
    // "PID (NAME) STATE ...": the name may hold spaces and parentheses, the state follows the
    // last ')'.
    std::ifstream statFile("/proc/" + pid + "/stat");
    const std::string stat{std::istreambuf_iterator<char>(statFile), {}};
    const std::size_t nameEnd = stat.rfind(')');
    if (nameEnd == std::string::npos || nameEnd + 2 >= stat.size())
        return false;
    const char state = stat[nameEnd + 2];
    return state == 'Z' || state == 'X';
}
