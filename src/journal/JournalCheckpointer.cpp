#include "journal/JournalCheckpointer.h"

#include <sqlite3.h>

JournalCheckpointer::~JournalCheckpointer()
{
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void JournalCheckpointer::request()
{
    {
        std::lock_guard lock(m_mutex);
        m_requested = true;
        if (!m_thread.joinable())
            m_thread = std::thread([this] { run(); });
    }
    m_wake.notify_one();
}

void JournalCheckpointer::run()
{
    sqlite3* db = nullptr;
    // A failed copy is only tried again at the next request: a fault that matters shows at the
    // writer's next commit.
    if (sqlite3_open_v2(m_path.constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW | SQLITE_OPEN_NOMUTEX,
                        nullptr)
        == SQLITE_OK)
        sqlite3_busy_timeout(db, 1000);
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_requested || m_stopping; });
        if (m_stopping)
            break;
        m_requested = false;
        lock.unlock();
        // Passive: it copies what no reader still needs and never holds the writer up.
        sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr, nullptr);
        lock.lock();
    }
    lock.unlock();
    sqlite3_close(db);
}
