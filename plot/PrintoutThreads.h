#pragma once

#include <QDeadlineTimer>

#include <atomic>
#include <functional>
#include <memory>

class QObject;
class QThread;

// Starts thread, which must not have been started yet, and keeps it until it has finished.
// The destruction of owner waits for every thread started under it that is still running,
// so that no printout outlives the window that started it. Call from owner's thread.
void StartPrintoutThread(QObject &owner, std::unique_ptr<QThread> thread);

// A thread, not started yet, that runs work with the flag that CancelPrintouts raises for the
// printouts of owner; work should look at it often and stop soon once it is set. Start it
// with StartPrintoutThread under the same owner.
std::unique_ptr<QThread> MakePrintoutThread(QObject &owner,
                                            std::function<void(const std::atomic<bool> &)> work);

// Tells every printout running under owner to stop, and waits until deadline for them to end.
// A printout still running after that is waited for by owner's destruction. Printouts
// started afterwards run on. Call from owner's thread.
void CancelPrintouts(QObject &owner, QDeadlineTimer deadline);
