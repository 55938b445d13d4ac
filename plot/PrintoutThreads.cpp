#include "plot/PrintoutThreads.h"

#include <QObject>
#include <QThread>

#include <algorithm>
#include <vector>

namespace {

// The printouts running under one owner, as a child of it.
class PrintoutThreads : public QObject
{
    Q_OBJECT
public:
    explicit PrintoutThreads(QObject *owner) : QObject(owner) {}

    ~PrintoutThreads() override
    {
        for (const std::unique_ptr<QThread> &thread : m_threads)
            thread->wait();
    }

    void start(std::unique_ptr<QThread> thread)
    {
        QThread *started = thread.get();
        connect(started, &QThread::finished, this, [this, started] { forget(started); });
        m_threads.push_back(std::move(thread));
        started->start();
    }

private:
    void forget(QThread *thread)
    {
        const auto found = std::find_if(
            m_threads.begin(), m_threads.end(),
            [thread](const std::unique_ptr<QThread> &kept) { return kept.get() == thread; });
        if (found == m_threads.end())
            return;
        // finished is signalled just before the thread really ends.
        thread->wait();
        m_threads.erase(found);
    }

    std::vector<std::unique_ptr<QThread>> m_threads;
};

} // namespace

void StartPrintoutThread(QObject &owner, std::unique_ptr<QThread> thread)
{
    auto *threads = owner.findChild<PrintoutThreads *>(QString(), Qt::FindDirectChildrenOnly);
    if (threads == nullptr)
        threads = new PrintoutThreads(&owner);
    threads->start(std::move(thread));
}

#include "PrintoutThreads.moc"
