#pragma once

#include <QByteArray>

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

// SQLite's "unix" file layer with chosen file calls made to fail, for tests of what the journal
// does with a disk that errs. While the object lives it is SQLite's default, so every database
// opened without naming a layer goes through it; it must outlive those connections. One at a
// time. Safe to use from any thread: the journal's writer reads and writes through it while the
// test arms it.
class FaultyVfs {
public:
    enum class Call { Read, Write, Sync, Truncate };

    FaultyVfs()
    {
        m_real = sqlite3_vfs_find("unix");
        if (!m_real)
            throw std::runtime_error("SQLite has no unix file layer");
        m_vfs.iVersion = std::min(m_real->iVersion, 3);
        m_vfs.szOsFile = int(sizeof(File)) + m_real->szOsFile;
        m_vfs.mxPathname = m_real->mxPathname;
        m_vfs.zName = "faulty";
        m_vfs.pAppData = this;
        m_vfs.xOpen = &FaultyVfs::open;
        m_vfs.xDelete = [](sqlite3_vfs* v, const char* name, int syncDir) { return real(v)->xDelete(real(v), name, syncDir); };
        m_vfs.xAccess = [](sqlite3_vfs* v, const char* name, int flags, int* out) {
            return real(v)->xAccess(real(v), name, flags, out);
        };
        m_vfs.xFullPathname = [](sqlite3_vfs* v, const char* name, int size, char* out) {
            return real(v)->xFullPathname(real(v), name, size, out);
        };
        m_vfs.xDlOpen = [](sqlite3_vfs* v, const char* name) { return real(v)->xDlOpen(real(v), name); };
        m_vfs.xDlError = [](sqlite3_vfs* v, int size, char* out) { real(v)->xDlError(real(v), size, out); };
        m_vfs.xDlSym = [](sqlite3_vfs* v, void* library, const char* symbol) {
            return real(v)->xDlSym(real(v), library, symbol);
        };
        m_vfs.xDlClose = [](sqlite3_vfs* v, void* library) { real(v)->xDlClose(real(v), library); };
        m_vfs.xRandomness = [](sqlite3_vfs* v, int size, char* out) { return real(v)->xRandomness(real(v), size, out); };
        m_vfs.xSleep = [](sqlite3_vfs* v, int microseconds) { return real(v)->xSleep(real(v), microseconds); };
        m_vfs.xCurrentTime = [](sqlite3_vfs* v, double* out) { return real(v)->xCurrentTime(real(v), out); };
        m_vfs.xGetLastError = [](sqlite3_vfs* v, int size, char* out) { return real(v)->xGetLastError(real(v), size, out); };
        m_vfs.xCurrentTimeInt64 = [](sqlite3_vfs* v, sqlite3_int64* out) {
            return real(v)->xCurrentTimeInt64(real(v), out);
        };
        m_vfs.xSetSystemCall = [](sqlite3_vfs* v, const char* name, sqlite3_syscall_ptr call) {
            return real(v)->xSetSystemCall(real(v), name, call);
        };
        m_vfs.xGetSystemCall = [](sqlite3_vfs* v, const char* name) { return real(v)->xGetSystemCall(real(v), name); };
        m_vfs.xNextSystemCall = [](sqlite3_vfs* v, const char* name) { return real(v)->xNextSystemCall(real(v), name); };
        if (sqlite3_vfs_register(&m_vfs, 1) != SQLITE_OK)
            throw std::runtime_error("cannot register the faulty file layer");
    }

    ~FaultyVfs()
    {
        sqlite3_vfs_unregister(&m_vfs);
        sqlite3_vfs_register(m_real, 1);
    }

    FaultyVfs(const FaultyVfs&) = delete;
    FaultyVfs& operator=(const FaultyVfs&) = delete;

    // Calls of this kind on files whose name ends with fileSuffix (e.g. "journal.sqlite" for the
    // main file, "-wal" for the log) fail with sqliteError (e.g. SQLITE_IOERR_READ,
    // SQLITE_IOERR_FSYNC, SQLITE_FULL): the first `after` matching calls go through, the next
    // `count` fail (count < 0: every one until clear()).
    void fail(Call call, int sqliteError, QByteArray fileSuffix, int after = 0, int count = 1)
    {
        const std::lock_guard lock(m_mutex);
        m_rules.push_back({call, sqliteError, std::move(fileSuffix), after, count, 0});
    }

    // Every sync of files whose name ends with fileSuffix takes this much longer, as on a slow
    // disk; until clear().
    void slowSyncs(QByteArray fileSuffix, std::chrono::milliseconds by)
    {
        const std::lock_guard lock(m_mutex);
        m_slowSyncs.push_back({std::move(fileSuffix), by});
    }

    void clear()
    {
        const std::lock_guard lock(m_mutex);
        m_rules.clear();
        m_slowSyncs.clear();
    }

    // How many matching calls failed so far.
    int failures() const { return m_failures.load(); }

private:
    struct Rule {
        Call call;
        int error;
        QByteArray suffix;
        int after;
        int count;
        int seen;

        bool fails() const { return seen > after && (count < 0 || seen <= after + count); }
        bool failsLater() const { return count < 0 || seen < after + count; }
    };

    // What SQLite holds for an open file: ours, with the real layer's file right behind it.
    struct File {
        sqlite3_file base;
        FaultyVfs* owner;
        const char* name;  // SQLite keeps it unchanged until the file is closed; null for temporary files
        sqlite3_file* real() { return reinterpret_cast<sqlite3_file*>(this + 1); }
    };

    static sqlite3_vfs* real(sqlite3_vfs* vfs) { return static_cast<FaultyVfs*>(vfs->pAppData)->m_real; }
    static File& file(sqlite3_file* f) { return *reinterpret_cast<File*>(f); }
    static sqlite3_file* real(sqlite3_file* f) { return file(f).real(); }

    bool matches(const Rule& rule, Call call, const char* name) const
    {
        if (rule.call != call || !name)
            return false;
        const size_t length = std::strlen(name);
        return size_t(rule.suffix.size()) <= length
               && std::memcmp(name + length - rule.suffix.size(), rule.suffix.constData(), rule.suffix.size()) == 0;
    }

    std::chrono::milliseconds syncDelay(const char* name) const
    {
        const std::lock_guard lock(m_mutex);
        std::chrono::milliseconds delay{0};
        for (const SlowSync& slow : m_slowSyncs) {
            if (matches({Call::Sync, 0, slow.suffix, 0, 0, 0}, Call::Sync, name))
                delay += slow.by;
        }
        return delay;
    }

    // SQLITE_OK for a call that goes through, the error otherwise.
    int outcome(Call call, const char* name)
    {
        const std::lock_guard lock(m_mutex);
        int error = SQLITE_OK;
        for (Rule& rule : m_rules) {
            if (!matches(rule, call, name))
                continue;
            ++rule.seen;
            if (error == SQLITE_OK && rule.fails())
                error = rule.error;
        }
        if (error != SQLITE_OK)
            ++m_failures;
        return error;
    }

    // A page read through the memory map cannot be made to fail, so while reads of a file are to
    // fail its pages are read with xRead instead.
    bool readsMustBeCounted(const char* name) const
    {
        const std::lock_guard lock(m_mutex);
        return std::any_of(m_rules.begin(), m_rules.end(),
                           [&](const Rule& rule) { return matches(rule, Call::Read, name) && rule.failsLater(); });
    }

    static int open(sqlite3_vfs* vfs, sqlite3_filename name, sqlite3_file* f, int flags, int* outFlags)
    {
        File& ours = file(f);
        ours.owner = static_cast<FaultyVfs*>(vfs->pAppData);
        ours.name = name;
        ours.base.pMethods = nullptr;
        const int result = real(vfs)->xOpen(real(vfs), name, ours.real(), flags, outFlags);
        if (const sqlite3_io_methods* methods = ours.real()->pMethods)
            ours.base.pMethods = methodsOfVersion(methods->iVersion);
        return result;
    }

    template <Call call>
    static int failing(sqlite3_file* f)
    {
        return file(f).owner->outcome(call, file(f).name);
    }

    static int read(sqlite3_file* f, void* buffer, int amount, sqlite3_int64 offset)
    {
        if (const int error = failing<Call::Read>(f)) {
            // A short read must leave zeros behind; any other failure may as well.
            std::memset(buffer, 0, size_t(amount));
            return error;
        }
        return real(f)->pMethods->xRead(real(f), buffer, amount, offset);
    }
    static int write(sqlite3_file* f, const void* buffer, int amount, sqlite3_int64 offset)
    {
        if (const int error = failing<Call::Write>(f))
            return error;
        return real(f)->pMethods->xWrite(real(f), buffer, amount, offset);
    }
    static int truncate(sqlite3_file* f, sqlite3_int64 size)
    {
        if (const int error = failing<Call::Truncate>(f))
            return error;
        return real(f)->pMethods->xTruncate(real(f), size);
    }
    static int sync(sqlite3_file* f, int flags)
    {
        std::this_thread::sleep_for(file(f).owner->syncDelay(file(f).name));
        if (const int error = failing<Call::Sync>(f))
            return error;
        return real(f)->pMethods->xSync(real(f), flags);
    }
    static int fetch(sqlite3_file* f, sqlite3_int64 offset, int amount, void** page)
    {
        if (file(f).owner->readsMustBeCounted(file(f).name)) {
            *page = nullptr;
            return SQLITE_OK;
        }
        return real(f)->pMethods->xFetch(real(f), offset, amount, page);
    }

    // Ours for each version of the real file's methods, so SQLite asks for no more than it has.
    static const sqlite3_io_methods* methodsOfVersion(int version)
    {
        static const sqlite3_io_methods all[3] = {methods(1), methods(2), methods(3)};
        return &all[std::clamp(version, 1, 3) - 1];
    }
    static sqlite3_io_methods methods(int version)
    {
        return {
            version,
            [](sqlite3_file* f) { return real(f)->pMethods->xClose(real(f)); },
            &FaultyVfs::read,
            &FaultyVfs::write,
            &FaultyVfs::truncate,
            &FaultyVfs::sync,
            [](sqlite3_file* f, sqlite3_int64* size) { return real(f)->pMethods->xFileSize(real(f), size); },
            [](sqlite3_file* f, int level) { return real(f)->pMethods->xLock(real(f), level); },
            [](sqlite3_file* f, int level) { return real(f)->pMethods->xUnlock(real(f), level); },
            [](sqlite3_file* f, int* out) { return real(f)->pMethods->xCheckReservedLock(real(f), out); },
            [](sqlite3_file* f, int op, void* arg) { return real(f)->pMethods->xFileControl(real(f), op, arg); },
            [](sqlite3_file* f) { return real(f)->pMethods->xSectorSize(real(f)); },
            [](sqlite3_file* f) { return real(f)->pMethods->xDeviceCharacteristics(real(f)); },
            [](sqlite3_file* f, int region, int size, int extend, void volatile** out) {
                return real(f)->pMethods->xShmMap(real(f), region, size, extend, out);
            },
            [](sqlite3_file* f, int offset, int n, int flags) { return real(f)->pMethods->xShmLock(real(f), offset, n, flags); },
            [](sqlite3_file* f) { real(f)->pMethods->xShmBarrier(real(f)); },
            [](sqlite3_file* f, int deleteFlag) { return real(f)->pMethods->xShmUnmap(real(f), deleteFlag); },
            &FaultyVfs::fetch,
            [](sqlite3_file* f, sqlite3_int64 offset, void* page) { return real(f)->pMethods->xUnfetch(real(f), offset, page); },
        };
    }

    sqlite3_vfs* m_real = nullptr;
    sqlite3_vfs m_vfs{};
    mutable std::mutex m_mutex;
    std::vector<Rule> m_rules;
    struct SlowSync {
        QByteArray suffix;
        std::chrono::milliseconds by;
    };
    std::vector<SlowSync> m_slowSyncs;
    std::atomic<int> m_failures{0};
};
