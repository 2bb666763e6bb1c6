#include "session/RecordingJournal.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QStandardPaths>

#include <chrono>

namespace {

// The writer looks for rows this often, so each is on disk well within a quarter of a second
// without the GUI thread waking it for every row; a burst this long wakes it at once.
constexpr std::chrono::milliseconds kWritePeriod{50};
constexpr size_t kWakeAtPending = 4096;

QString reasonInWords(const JournalError& error, const QString& folder, const QString& path)
{
    switch (error.kind()) {
    case JournalError::Kind::Unwritable:
        return QStringLiteral("the folder %1 cannot be written").arg(QDir::toNativeSeparators(folder));
    case JournalError::Kind::Full:
        return QStringLiteral("the disk that holds %1 is full").arg(QDir::toNativeSeparators(path));
    case JournalError::Kind::Locked:
        return QStringLiteral("another program keeps %1 locked").arg(QDir::toNativeSeparators(path));
    case JournalError::Kind::Corrupt:
        return QStringLiteral("%1 is damaged").arg(QDir::toNativeSeparators(path));
    case JournalError::Kind::Newer:
        return QStringLiteral("%1 was written by a newer version of this program").arg(QDir::toNativeSeparators(path));
    case JournalError::Kind::Other:
        break;
    }
    return QString::fromStdString(error.what());
}

// Moves a damaged database and its write-ahead log aside under one new name, keeping them.
QString moveAside(const QString& path)
{
    const QString aside =
        path + QStringLiteral(".damaged-") + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    for (const char* suffix : {"", "-wal", "-shm"}) {
        const QString from = path + QLatin1String(suffix);
        if (QFile::exists(from))
            QFile::rename(from, aside + QLatin1String(suffix));
    }
    return aside;
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
    open();
    m_writer = std::thread([this] { writeLoop(); });
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

void RecordingJournal::open()
{
    try {
        if (!QDir().mkpath(m_folder))
            throw JournalError(JournalError::Kind::Unwritable, "cannot create the journal's folder");
        try {
            m_database = std::make_unique<JournalDatabase>(m_path);
        } catch (const JournalError& error) {
            if (error.kind() != JournalError::Kind::Corrupt)
                throw;
            const QString aside = moveAside(m_path);
            m_database = std::make_unique<JournalDatabase>(m_path);
            const QString text = QStringLiteral("The recording journal %1 was damaged. It was kept as %2, and a new "
                                                "journal was started.")
                                     .arg(QDir::toNativeSeparators(m_path), QDir::toNativeSeparators(aside));
            QMetaObject::invokeMethod(this, [this, text] { emit failed(text); }, Qt::QueuedConnection);
            m_reported = true;
        }
        m_database->removeFinishedBefore(QDateTime::currentDateTime().addDays(-kKeepFinishedDays));
    } catch (const JournalError& error) {
        m_database.reset();
        giveUp(error);
    }
}

void RecordingJournal::giveUp(const JournalError& error)
{
    m_broken = true;
    if (m_reported)
        return;
    m_reported = true;
    const QString text = QStringLiteral("Readings are not being kept safe on disk: %1. Recording goes on; save the "
                                        "table to keep its readings.")
                             .arg(reasonInWords(error, m_folder, m_path));
    QMetaObject::invokeMethod(this, [this, text] { emit failed(text); }, Qt::QueuedConnection);
}

QString RecordingJournal::lockPath(int64_t recording) const
{
    return m_folder + QStringLiteral("/recording-%1.lock").arg(recording);
}

std::optional<JournalRecording> RecordingJournal::unsavedRecording()
{
    flush();
    if (!keeping())
        return std::nullopt;
    try {
        JournalDatabase reader(m_path);
        std::vector<JournalRecording> all = reader.recordings();
        for (auto it = all.rbegin(); it != all.rend(); ++it) {
            if (it->status != QLatin1String("recording"))
                continue;
            // A recording whose lock can be taken belongs to no running program.
            QLockFile lock(lockPath(it->id));
            lock.setStaleLockTime(0);
            if (!lock.tryLock(0))
                continue;
            lock.unlock();
            if (it->rows > it->savedRows)
                return *it;
            return std::nullopt;
        }
    } catch (const JournalError& error) {
        giveUp(error);
    }
    return std::nullopt;
}

std::vector<JournalRow> RecordingJournal::rowsOf(int64_t recording)
{
    flush();
    try {
        JournalDatabase reader(m_path);
        return reader.rows(recording);
    } catch (const JournalError& error) {
        giveUp(error);
        return {};
    }
}

bool RecordingJournal::readTableRows(int64_t recording, const JournalDatabase::TableRowVisitor& visit)
{
    flush();
    try {
        JournalDatabase reader(m_path);
        reader.forEachTableRow(recording, visit);
        return true;
    } catch (const JournalError& error) {
        giveUp(error);
        return false;
    }
}

void RecordingJournal::adopt(const JournalRecording& recording)
{
    m_rowsHandedOver = recording.rows;
    hand({Command::Adopt, {}, recording.id, recording.rows});
}

void RecordingJournal::decline(int64_t recording)
{
    hand({Command::Decline, {}, recording, 0});
}

void RecordingJournal::append(JournalRow row)
{
    ++m_rowsHandedOver;
    hand({Command::Append, std::move(row), 0, 0});
}

void RecordingJournal::startNewRecording()
{
    m_rowsHandedOver = 0;
    hand({Command::NewRecording, {}, 0, 0});
}

void RecordingJournal::markSaved(int64_t savePoint)
{
    hand({Command::MarkSaved, {}, savePoint, 0});
}

void RecordingJournal::hand(Command command)
{
    if (!keeping())
        return;
    bool burst;
    {
        std::lock_guard lock(m_mutex);
        m_pending.push_back(std::move(command));
        ++m_handed;
        burst = m_pending.size() == kWakeAtPending;
    }
    if (burst)
        m_wake.notify_one();
}

void RecordingJournal::flush()
{
    std::unique_lock lock(m_mutex);
    m_flushing = true;
    m_wake.notify_one();
    m_written.wait(lock, [this] { return m_done == m_handed || m_broken; });
    m_flushing = false;
}

void RecordingJournal::writeLoop()
{
    std::vector<Command> batch;
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait_for(lock, kWritePeriod, [this] {
            return m_pending.size() >= kWakeAtPending || (m_flushing && !m_pending.empty()) || m_stopping;
        });
        if (m_pending.empty()) {
            if (m_stopping)
                break;
            continue;
        }
        batch.swap(m_pending);
        lock.unlock();
        // Everything that arrived since the last look goes in one transaction.
        write(batch);
        const size_t written = batch.size();
        batch.clear();
        lock.lock();
        m_done += written;
        m_written.notify_all();
    }
    m_database.reset();
    m_lock.reset();
}

void RecordingJournal::write(const std::vector<Command>& batch)
{
    if (m_broken)
        return;
    try {
        m_database->begin();
        try {
            for (const Command& command : batch)
                apply(command);
            m_database->commit();
        } catch (...) {
            m_database->rollback();
            throw;
        }
    } catch (const JournalError& error) {
        giveUp(error);
    }
}

void RecordingJournal::apply(const Command& command)
{
    // The local time costs microseconds, so a row, the bulk of the work, goes without it.
    const auto now = [] { return QDateTime::currentDateTime(); };
    switch (command.kind) {
    case Command::Append:
        if (m_recording == 0) {
            m_recording = m_database->createRecording(now());
            m_nextSeq = 0;
            lockRecording(m_recording);
        }
        m_database->appendRow(m_recording, m_nextSeq++, command.row);
        break;
    case Command::NewRecording:
        if (m_recording != 0)
            m_database->setStatus(m_recording, QStringLiteral("emptied"), now());
        m_recording = 0;
        m_lock.reset();
        break;
    case Command::MarkSaved:
        if (m_recording != 0)
            m_database->setSavedRows(m_recording, command.number, now());
        break;
    case Command::Adopt:
        m_recording = command.number;
        m_nextSeq = command.rows;
        lockRecording(m_recording);
        m_database->setStatus(m_recording, QStringLiteral("recording"), now());
        break;
    case Command::Decline:
        m_database->setStatus(command.number, QStringLiteral("declined"), now());
        break;
    }
}

void RecordingJournal::lockRecording(int64_t recording)
{
    m_lock = std::make_unique<QLockFile>(lockPath(recording));
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0))
        throw JournalError(JournalError::Kind::Locked, "another running program holds the recording");
}
