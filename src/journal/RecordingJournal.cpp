#include "journal/RecordingJournal.h"

#include "journal/JournalSalvage.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <map>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// A burst this long (a download) is written at once, without waiting for the commit delay.
constexpr size_t kWakeAtPending = 4096;
// A failing journal is tried again this soon, then twice as late each time up to the longest.
constexpr std::chrono::milliseconds kFirstRetry{500};
constexpr std::chrono::milliseconds kLongestRetry{30000};
// Housekeeping starts once the window is up, and removes this many rows a transaction, so that
// rows arriving meanwhile never wait long behind it.
constexpr std::chrono::seconds kTidyAfterOpen{3};
constexpr int64_t kTidyRowsPerStep = 5000;
// The log is copied back into the database once it holds this many pages, as SQLite would.
constexpr int kCheckpointPages = 1000;

bool pathExists(const QString& path)
{
    struct stat info;
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

QString native(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString reasonInWords(const JournalError& error, const QString& folder, const QString& path)
{
    switch (error.kind()) {
    case JournalError::Kind::Unwritable:
        if (pathExists(path) && ::access(QFile::encodeName(path).constData(), W_OK) != 0)
            return QStringLiteral("the file %1 cannot be written").arg(native(path));
        return QStringLiteral("the folder %1 cannot be written").arg(native(folder));
    case JournalError::Kind::Full:
        return QStringLiteral("the disk that holds %1 is full").arg(native(path));
    case JournalError::Kind::Locked:
        return QStringLiteral("another program keeps %1 locked").arg(native(path));
    case JournalError::Kind::Corrupt:
        return QStringLiteral("%1 is damaged").arg(native(path));
    case JournalError::Kind::Newer:
        return QStringLiteral("%1 was written by a newer version of this program").arg(native(path));
    case JournalError::Kind::Other:
        break;
    }
    return QString::fromStdString(error.what());
}

// Moves a damaged database (or a link in its place: the link, never its target) and its
// write-ahead log aside under one new name, keeping them.
QString moveAside(const QString& path)
{
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString aside = path + QStringLiteral(".damaged-") + stamp;
    for (int n = 2; pathExists(aside); ++n)
        aside = path + QStringLiteral(".damaged-%1-%2").arg(stamp).arg(n);
    for (const char* suffix : {"", "-wal", "-shm"}) {
        const QByteArray from = QFile::encodeName(path + QLatin1String(suffix));
        const QByteArray to = QFile::encodeName(aside + QLatin1String(suffix));
        ::rename(from.constData(), to.constData());
    }
    return aside;
}

// The highest recording id that a lock file in the folder names.
int64_t highestLockedId(const QString& folder)
{
    int64_t highest = 0;
    const QStringList locks = QDir(folder).entryList({QStringLiteral("recording-*.lock")}, QDir::Files | QDir::System);
    for (const QString& name : locks)
        highest = std::max<int64_t>(highest, name.mid(10, name.size() - 15).toLongLong());
    return highest;
}

QString readingsText(int64_t count)
{
    return count == 1 ? QStringLiteral("1 reading") : QStringLiteral("%1 readings").arg(count);
}

}  // namespace

QString RecordingJournal::defaultFolder()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (state.isEmpty() || QDir::isRelativePath(state))
        state = QDir::homePath() + QStringLiteral("/.local/state");
    return state + QStringLiteral("/tq612");
}

RecordingJournal::RecordingJournal(const QString& folder, QObject* parent)
    : QObject(parent), m_folder(folder), m_path(folder + QLatin1Char('/') + QLatin1String(kFileName))
{
    m_writer = std::thread([this] { writeLoop(); });
    hand({Command::Open, {}, 0, 0});
}

RecordingJournal::~RecordingJournal()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_writer.join();
}

QString RecordingJournal::lockPath(int64_t recording) const
{
    return m_folder + QStringLiteral("/recording-%1.lock").arg(recording);
}

std::optional<JournalRecording> RecordingJournal::unsavedRecording()
{
    {
        std::lock_guard lock(m_mutex);
        m_found.reset();
    }
    hand({Command::FindUnsaved, {}, 0, 0});
    flush();
    std::lock_guard lock(m_mutex);
    return m_found;
}

std::vector<JournalRow> RecordingJournal::rowsOf(int64_t recording)
{
    flush();
    try {
        JournalDatabase reader(m_path, JournalDatabase::Access::ReadOnly);
        return reader.rows(recording);
    } catch (const JournalError&) {
        return {};
    }
}

bool RecordingJournal::readTableRows(int64_t recording, const JournalDatabase::TableRowVisitor& visit,
                                     QString* failure)
{
    flush();
    try {
        JournalDatabase reader(m_path, JournalDatabase::Access::ReadOnly);
        reader.forEachTableRow(recording, visit);
        return true;
    } catch (const JournalError& error) {
        if (failure)
            *failure = QStringLiteral("%1 could not be read (%2)").arg(native(m_path), QString::fromUtf8(error.what()));
        return false;
    }
}

void RecordingJournal::adopt(const JournalRecording& recording)
{
    m_rowsHandedOver = recording.rows;
    m_rowsSaved = recording.savedRows;
    hand({Command::Adopt, {}, recording.id, recording.rows});
}

void RecordingJournal::decline(int64_t recording)
{
    hand({Command::Decline, {}, recording, 0});
}

void RecordingJournal::leaveOffered(int64_t recording)
{
    hand({Command::LeaveOffered, {}, recording, 0});
}

void RecordingJournal::append(JournalRow row)
{
    ++m_rowsHandedOver;
    hand({Command::Append, std::move(row), 0, 0});
}

void RecordingJournal::startNewRecording()
{
    m_rowsHandedOver = 0;
    m_rowsSaved = 0;
    hand({Command::NewRecording, {}, 0, 0});
}

void RecordingJournal::markSaved(int64_t savePoint)
{
    m_rowsSaved = std::max(m_rowsSaved, savePoint);
    hand({Command::MarkSaved, {}, savePoint, 0});
}

int64_t RecordingJournal::unkeptRows() const
{
    // A save started before the table was emptied may mark more rows than there are now.
    return keeping() ? 0 : std::max<int64_t>(0, m_rowsHandedOver - m_rowsSaved);
}

void RecordingJournal::hand(Command command)
{
    bool wake = false;
    {
        std::lock_guard lock(m_mutex);
        // The first of a batch sets its deadline and wakes the writer, which otherwise sleeps.
        if (m_pending.empty()) {
            m_firstPendingAt = Clock::now();
            wake = true;
        }
        m_pending.push_back(std::move(command));
        ++m_handed;
        wake = wake || m_pending.size() == kWakeAtPending;
    }
    if (wake)
        m_wake.notify_one();
}

void RecordingJournal::flush()
{
    std::unique_lock lock(m_mutex);
    m_flushing = true;
    m_wake.notify_one();
    m_written.wait(lock, [this] { return m_done == m_handed; });
    m_flushing = false;
}

void RecordingJournal::writeLoop()
{
    std::vector<Command> taken;
    std::unique_lock lock(m_mutex);
    for (;;) {
        // Asleep until the batch's commit deadline, the next try of a failing journal or the next
        // step of housekeeping, whichever comes first; nothing wakes it without a reason.
        const bool failing = m_failure.has_value() && !m_givenUp;
        Clock::time_point due = Clock::time_point::max();
        if (!m_pending.empty())
            due = m_firstPendingAt + kCommitDelay;
        if (failing)
            due = std::min(due, m_nextTry);
        else if (m_database && (!m_tidyListed || !m_toTidy.empty()))
            due = std::min(due, m_tidyFrom);
        const auto urgent = [this] {
            return m_stopping || m_pending.size() >= kWakeAtPending || (m_flushing && !m_pending.empty());
        };
        // Rows handed over meanwhile may bring the deadline forward.
        const auto earlier = [&] { return urgent() || (!m_pending.empty() && m_firstPendingAt + kCommitDelay < due); };
        if (due == Clock::time_point::max())
            m_wake.wait(lock, earlier);
        else
            m_wake.wait_until(lock, due, earlier);

        const Clock::time_point now = Clock::now();
        const bool stopping = m_stopping;
        if (!m_pending.empty() && (urgent() || now >= m_firstPendingAt + kCommitDelay))
            taken.swap(m_pending);
        lock.unlock();

        for (Command& command : taken) {
            if (command.kind == Command::Append && m_waitingRows >= kMaxWaitingRows) {
                ++m_rowsDropped;
                continue;
            }
            m_waitingRows += command.kind == Command::Append;
            m_waiting.push_back(std::move(command));
        }
        if (m_givenUp) {
            m_waiting.clear();
            m_waitingRows = 0;
        } else if (!m_failure ? !taken.empty() : (now >= m_nextTry || stopping)) {
            writeWaiting();
        } else if (!m_failure && m_database && now >= m_tidyFrom) {
            tidyStep();
        }

        lock.lock();
        m_done += taken.size();
        taken.clear();
        m_written.notify_all();
        if (stopping && m_pending.empty())
            break;
    }
    lock.unlock();
    closeDatabase();
    m_lock.reset();
    m_claim.reset();
    m_afterCommit.clear();
}

bool RecordingJournal::writeWaiting()
{
    // Tried twice: a database found damaged is replaced, and what waits goes into the new one.
    for (int attempt = 0;; ++attempt) {
        const Position before = m_position;
        try {
            if (!m_database)
                openDatabase();
            m_database->begin();
            try {
                // Rows never go into a recording that is gone (another program's housekeeping
                // could only remove it if it thought it finished): they start a new one.
                if (m_position.recording != 0 && !m_database->holdsRecording(m_position.recording))
                    m_position = {};
                for (const Command& command : m_waiting)
                    apply(command);
                m_database->commit();
            } catch (...) {
                m_database->rollback();
                throw;
            }
        } catch (const JournalError& error) {
            // What the batch did is undone; so is the lock of a recording it created.
            if (m_lock && m_lockedRecording != before.recording)
                m_lock.reset();
            m_position = before;
            if (error.kind() == JournalError::Kind::Corrupt && attempt == 0) {
                try {
                    replaceDamagedDatabase();
                    continue;
                } catch (const JournalError& replacing) {
                    startFailing(replacing);
                    return false;
                }
            }
            startFailing(error);
            return false;
        }
        if (m_database->logPages() >= kCheckpointPages)
            m_checkpointer->request();
        for (const std::unique_ptr<RecordingLock>& released : m_afterCommit)
            released->remove();
        m_afterCommit.clear();
        const size_t written = m_waitingRows;
        m_waiting.clear();
        m_waitingRows = 0;
        if (m_failure)
            tellRecovered(written);
        return true;
    }
}

void RecordingJournal::apply(const Command& command)
{
    // The local time costs microseconds, so a row, the bulk of the work, goes without it.
    const auto now = [] { return QDateTime::currentDateTime(); };
    switch (command.kind) {
    case Command::Open:
        break;
    case Command::Append:
        if (m_position.recording == 0) {
            const int64_t created = m_database->createRecording(now());
            std::unique_ptr<RecordingLock> lock = RecordingLock::tryTake(lockPath(created));
            if (!lock)
                throw JournalError(JournalError::Kind::Other, "the lock of a new recording is held by another program");
            if (m_lock)
                m_afterCommit.push_back(std::move(m_lock));
            m_lock = std::move(lock);
            m_lockedRecording = created;
            m_position = {created, 0};
        }
        m_database->appendRow(m_position.recording, m_position.nextSeq++, command.row);
        break;
    case Command::NewRecording:
        if (m_position.recording != 0)
            m_database->setStatus(m_position.recording, QStringLiteral("emptied"), now());
        m_position = {};
        if (m_lock)
            m_afterCommit.push_back(std::move(m_lock));
        m_lockedRecording = 0;
        break;
    case Command::MarkSaved:
        if (m_position.recording != 0)
            m_database->setSavedRows(m_position.recording, command.number, now());
        break;
    case Command::Adopt:
        // Only the claimed recording: one another program holds is never taken over.
        if (m_claimedRecording == command.number && m_claim) {
            if (m_lock)
                m_afterCommit.push_back(std::move(m_lock));
            m_lock = std::move(m_claim);
            m_lockedRecording = command.number;
        }
        if (m_lockedRecording != command.number)
            break;
        m_position = {command.number, command.rows};
        m_database->setStatus(command.number, QStringLiteral("recording"), now());
        break;
    case Command::Decline:
        if (m_claimedRecording != command.number || !m_claim)
            break;
        m_database->setStatus(command.number, QStringLiteral("declined"), now());
        m_afterCommit.push_back(std::move(m_claim));
        break;
    case Command::LeaveOffered:
        if (m_claimedRecording == command.number && m_claim)
            m_afterCommit.push_back(std::move(m_claim));
        break;
    case Command::FindUnsaved: {
        std::optional<JournalRecording> found = findUnsaved();
        std::lock_guard lock(m_mutex);
        m_found = std::move(found);
        break;
    }
    }
}

std::optional<JournalRecording> RecordingJournal::findUnsaved()
{
    if (m_claim)
        m_afterCommit.push_back(std::move(m_claim));
    const std::vector<JournalRecording> all = m_database->recordings();
    for (auto it = all.rbegin(); it != all.rend(); ++it) {
        if (it->status != QLatin1String("recording"))
            continue;
        // A recording whose lock can be taken belongs to no running program; taking it claims
        // it, so no other copy offers it while this one asks.
        std::unique_ptr<RecordingLock> claim = RecordingLock::tryTake(lockPath(it->id));
        if (!claim)
            continue;
        if (it->rows <= it->savedRows)
            return std::nullopt;
        // Read through once, so that a damaged page is found (and the file replaced, its rows
        // salvaged) before the user is offered rows that cannot be read.
        m_database->forEachTableRow(it->id, [](auto...) {});
        m_claim = std::move(claim);
        m_claimedRecording = it->id;
        return *it;
    }
    return std::nullopt;
}

void RecordingJournal::openDatabase()
{
    const QString parent = QFileInfo(m_folder).absolutePath();
    // The folder holds the user's readings: only the user may enter it.
    if (!QDir().mkpath(parent) || (::mkdir(QFile::encodeName(m_folder).constData(), 0700) != 0 && errno != EEXIST))
        throw JournalError(JournalError::Kind::Unwritable, "cannot create the journal's folder");
    try {
        m_database = std::make_unique<JournalDatabase>(m_path);
        m_database->keepIdsAbove(highestLockedId(m_folder));
        m_checkpointer = std::make_unique<JournalCheckpointer>(QFile::encodeName(m_path));
    } catch (const JournalError& error) {
        closeDatabase();
        if (error.kind() != JournalError::Kind::Corrupt)
            throw;
        replaceDamagedDatabase();
    }
    m_tidyListed = false;
    m_tidyFrom = Clock::now() + kTidyAfterOpen;
}

void RecordingJournal::closeDatabase()
{
    m_checkpointer.reset();
    m_database.reset();
}

void RecordingJournal::replaceDamagedDatabase()
{
    closeDatabase();
    const QString aside = moveAside(m_path);
    m_database = std::make_unique<JournalDatabase>(m_path);
    m_database->keepIdsAbove(highestLockedId(m_folder));
    m_checkpointer = std::make_unique<JournalCheckpointer>(QFile::encodeName(m_path));
    const JournalSalvage salvage = salvageUnsavedRecordings(aside, *m_database);

    // What this program was writing, claiming or about to adopt goes on under its new id.
    std::map<int64_t, const SalvagedRecording*> moved;
    for (const SalvagedRecording& recording : salvage.recordings)
        moved[recording.damagedId] = &recording;
    const auto newId = [&moved](int64_t old) { return moved.count(old) ? moved.at(old)->id : 0; };
    const auto relock = [this](std::unique_ptr<RecordingLock>& lock, int64_t id) {
        if (lock)
            m_afterCommit.push_back(std::move(lock));
        if (id != 0)
            lock = RecordingLock::tryTake(lockPath(id));
    };
    if (m_position.recording != 0) {
        const int64_t id = newId(m_position.recording);
        m_position = id ? Position{id, moved.at(m_position.recording)->rows} : Position{};
        relock(m_lock, id);
        m_lockedRecording = m_lock ? id : 0;
        if (!m_lock)
            m_position = {};
    }
    if (m_claim) {
        m_claimedRecording = newId(m_claimedRecording);
        relock(m_claim, m_claimedRecording);
    }
    for (Command& command : m_waiting) {
        if (command.kind != Command::Adopt && command.kind != Command::Decline && command.kind != Command::LeaveOffered)
            continue;
        const auto found = moved.find(command.number);
        command.number = found == moved.end() ? 0 : found->second->id;
        if (found != moved.end() && command.kind == Command::Adopt)
            command.rows = found->second->rows;
    }

    QString text = QStringLiteral("The recording journal %1 was damaged. It was kept as %2, and a new journal was "
                                  "started.")
                       .arg(native(m_path), native(aside));
    if (salvage.rows() > 0 || salvage.unreadable() > 0) {
        text += QStringLiteral(" %1 of its unsaved recordings were copied into it").arg(readingsText(salvage.rows()));
        text += salvage.unreadable() > 0
                    ? QStringLiteral("; %1 could not be read.").arg(readingsText(salvage.unreadable()))
                    : QStringLiteral(".");
    }
    tell(&RecordingJournal::failed, text);
}

void RecordingJournal::tidyStep()
{
    try {
        if (!m_tidyListed) {
            m_toTidy = m_database->finishedBefore(QDateTime::currentDateTime().addDays(-kKeepFinishedDays));
            m_tidyListed = true;
            return;
        }
        if (m_toTidy.empty())
            return;
        const int64_t id = m_toTidy.front();
        // A recording whose owner lives is never touched, whatever the clocks say.
        std::unique_ptr<RecordingLock> lock = RecordingLock::tryTake(lockPath(id));
        if (lock && m_database->removeSome(id, kTidyRowsPerStep) > 0)
            return;
        if (lock)
            lock->remove();
        m_toTidy.erase(m_toTidy.begin());
    } catch (const JournalError&) {
        // Housekeeping waits for the next start; a failure that matters shows with the next row.
        m_toTidy.clear();
    }
}

void RecordingJournal::startFailing(const JournalError& error)
{
    closeDatabase();
    if (error.kind() == JournalError::Kind::Newer)
        m_givenUp = true;
    if (m_failure) {
        m_retryDelay = std::min(m_retryDelay * 2, kLongestRetry);
    } else {
        m_failure = error;
        m_failing = true;
        m_retryDelay = kFirstRetry;
        const QString reason = reasonInWords(error, m_folder, m_path);
        const QString text =
            m_givenUp ? QStringLiteral("Readings are not being kept safe on disk: %1. Recording goes on; save the "
                                       "table to keep its readings.")
                            .arg(reason)
                      : QStringLiteral("Readings are not being kept safe on disk: %1. Recording goes on; the readings "
                                       "wait in memory and are written as soon as the journal works again. Save the "
                                       "table to be sure to keep them.")
                            .arg(reason);
        tell(&RecordingJournal::failed, text);
    }
    m_nextTry = Clock::now() + m_retryDelay;
}

void RecordingJournal::tellRecovered(int64_t waited)
{
    QString text = QStringLiteral("Readings are kept safe on disk again: %1 that had waited %2 now kept.")
                       .arg(readingsText(waited), waited == 1 ? QStringLiteral("is") : QStringLiteral("are"));
    if (m_rowsDropped > 0)
        text += QStringLiteral(" %1 found no room to wait and %2 only in the table.")
                    .arg(readingsText(m_rowsDropped), m_rowsDropped == 1 ? QStringLiteral("is") : QStringLiteral("are"));
    m_failure.reset();
    m_failing = false;
    m_rowsDropped = 0;
    tell(&RecordingJournal::recovered, text);
}

void RecordingJournal::tell(void (RecordingJournal::*signal)(const QString&), const QString& text)
{
    QMetaObject::invokeMethod(this, [this, signal, text] { emit(this->*signal)(text); }, Qt::QueuedConnection);
}
