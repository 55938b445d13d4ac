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

    // Shared with the running printouts, which may outlast a cancel that gave up on them.
    std::shared_ptr<std::atomic<bool>> cancelFlag() const { return m_cancelled; }

    void cancel(QDeadlineTimer deadline)
    {
        m_cancelled->store(true);
        // The printouts that began before the cancel keep the raised flag; later ones get
        // a fresh one.
        m_cancelled = std::make_shared<std::atomic<bool>>(false);
        std::erase_if(m_threads, [&deadline](const std::unique_ptr<QThread> &thread) {
            return thread->wait(deadline);
        });
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
    std::shared_ptr<std::atomic<bool>> m_cancelled = std::make_shared<std::atomic<bool>>(false);
};

PrintoutThreads &threadsOf(QObject &owner)
{
    auto *threads = owner.findChild<PrintoutThreads *>(QString(), Qt::FindDirectChildrenOnly);
    if (threads == nullptr)
        threads = new PrintoutThreads(&owner);
    return *threads;
}

} // namespace

void StartPrintoutThread(QObject &owner, std::unique_ptr<QThread> thread)
{
    threadsOf(owner).start(std::move(thread));
}

std::unique_ptr<QThread> MakePrintoutThread(QObject &owner,
                                            std::function<void(const std::atomic<bool> &)> work)
{
    return std::unique_ptr<QThread>(QThread::create(
        [work = std::move(work), cancelled = threadsOf(owner).cancelFlag()] { work(*cancelled); }));
}

void CancelPrintouts(QObject &owner, QDeadlineTimer deadline)
{
    auto *threads = owner.findChild<PrintoutThreads *>(QString(), Qt::FindDirectChildrenOnly);
    if (threads != nullptr)
        threads->cancel(deadline);
}

#include "PrintoutThreads.moc"
