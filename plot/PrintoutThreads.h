#pragma once

#include <memory>

class QObject;
class QThread;

// Starts thread, which must not have been started yet, and keeps it until it has finished.
// The destruction of owner waits for every thread started under it that is still running,
// so that no printout outlives the window that started it. Call from owner's thread.
void StartPrintoutThread(QObject &owner, std::unique_ptr<QThread> thread);
