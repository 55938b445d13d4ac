#pragma once

#include <string>

// The command name the system shows for process pid (a number, or "self" for this one), as
// /proc/<pid>/comm holds it; empty when the process is gone or hidden.
std::string ProcessCommand(const std::string &pid);

// True when process pid has ended and only waits to be reaped by its parent (a zombie): its
// command name still reads as it did while it ran.
bool ProcessIsZombie(const std::string &pid);
