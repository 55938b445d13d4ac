#include "acquisition/ProcessCommand.h"

#include <fstream>

std::string ProcessCommand(const std::string &pid)
{
    std::ifstream comm("/proc/" + pid + "/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}
