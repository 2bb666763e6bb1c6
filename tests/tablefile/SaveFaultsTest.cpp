// Saves that meet a failing disk, a kill, a special file or a long name.
#include "AnsweredMessages.h"
#include "FaultyFiles.h"
#include "base/PosixFileSystem.h"
#include "base/ProgramError.h"
#include "record/MeasurementTable.h"
#include "tablefile/TableExport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <functional>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

std::error_code errorOf(std::errc code)
{
    return std::make_error_code(code);
}

const QByteArray kOld = "the previous file\r\n";

class SaveFaults : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_table.appendRow(1, "10:15:02", "23.5", "#");
    }

    QString path(const QString& name) const { return m_dir.filePath(name); }

    // What the user is told: the dialog's text for a text report, the error report's for a packet.
    QString save(const QString& fileName, const FileSystem& files = systemFileSystem())
    {
        AnsweredMessages dialogs;
        TableExportSettings settings;
        settings.files = &files;
        try {
            SaveTableToFile(m_table, fileName, dialogs, settings);
        } catch (const ProgramError& e) {
            return QString::fromStdString(e.message());
        }
        return dialogs.shown.join(QLatin1Char('|'));
    }

    static bool saved(const QString& told) { return told.endsWith(QLatin1String(" Scuss!")); }

    void writeOld(const QString& fileName)
    {
        QFile file(fileName);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(kOld);
    }

    static QByteArray contents(const QString& fileName)
    {
        QFile file(fileName);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    // Temporary files are the only names here that start with a dot.
    QStringList temporaries() const
    {
        return QDir(m_dir.path()).entryList({QStringLiteral(".?*")}, QDir::Files | QDir::Hidden);
    }

    QStringList entries() const
    {
        return QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }

    QTemporaryDir m_dir;
    MeasurementTable m_table;
};

const char* const kNames[] = {"table.txt", "table.xml"};

QString failureFor(const QString& fileName, const QString& reason, bool refused)
{
    if (fileName.endsWith(QLatin1String(".xml")))
        return (refused ? QStringLiteral("Cannot create file \"") : QStringLiteral("Cannot write file \"")) + fileName +
               QStringLiteral("\". ") + reason;
    return QStringLiteral("Could not save table to specified file: ") + fileName +
           (refused ? QLatin1Char('\n') + reason + QLatin1Char('.') : QString());
}

// A save whose data did not reach the disk has failed, says the system's reason and keeps the old
// file. Once the new file is in place, a folder that cannot be synced still fails the save: a
// power cut could undo it.
TEST_F(SaveFaults, FailedWritesAndSyncsAreFailedSaves)
{
    const struct {
        const char* step;
        std::error_code FaultyFiles::*error;
        bool oldKept;
    } cases[] = {
        {"write", &FaultyFiles::writeError, true},
        {"data", &FaultyFiles::syncDataError, true},
        {"folder", &FaultyFiles::syncFolderError, false},
    };
    for (const auto& c : cases) {
        for (const char* name : kNames) {
            SCOPED_TRACE(std::string(c.step) + " " + name);
            const QString fileName = path(QString::fromLatin1(name));
            writeOld(fileName);
            FaultyFiles files;
            files.*c.error = errorOf(std::errc::io_error);
            EXPECT_EQ(save(fileName, files), failureFor(fileName, QStringLiteral("Input/output error"), false));
            EXPECT_EQ(contents(fileName) == kOld, c.oldKept);
            EXPECT_EQ(temporaries(), QStringList());
        }
    }
}

TEST_F(SaveFaults, AReadOnlyFileSystemIsNamed)
{
    for (const char* name : kNames) {
        SCOPED_TRACE(name);
        FaultyFiles files;
        // A new name fails when the file is created, an existing file already when it is looked at.
        files.createError = errorOf(std::errc::read_only_file_system);
        const QString fresh = path(QStringLiteral("new-") + QString::fromLatin1(name));
        EXPECT_EQ(save(fresh, files), failureFor(fresh, QStringLiteral("The file system is read-only"), true));

        const QString existing = path(QString::fromLatin1(name));
        writeOld(existing);
        files.accessError = errorOf(std::errc::read_only_file_system);
        EXPECT_EQ(save(existing, files), failureFor(existing, QStringLiteral("The file system is read-only"), true));
        EXPECT_EQ(contents(existing), kOld);
    }
}

// Only a regular file is replaced: a pipe, a folder or a device keeps its place, directly or
// behind a symbolic link, and the message says what the name is.
TEST_F(SaveFaults, OnlyARegularFileIsReplaced)
{
    const QString pipe = path(QStringLiteral("pipe"));
    const QString folder = path(QStringLiteral("folder"));
    const QString device = path(QStringLiteral("device"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    ASSERT_TRUE(QDir().mkdir(folder));
    // The null device's numbers; only root may make a device node.
    const bool haveDevice = ::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0600, makedev(1, 3)) == 0;
    const struct {
        const char* name;
        QString linkTo;
        mode_t kind;
        const char* reason;
    } cases[] = {
        {"pipe", QString(), S_IFIFO, "It is a named pipe, not a regular file"},
        {"folder", QString(), S_IFDIR, "It is a folder, not a regular file"},
        {"link-to-pipe", pipe, S_IFIFO, "It leads to %1, a named pipe, not a regular file"},
        {"link-to-device", device, S_IFCHR, "It leads to %1, a device, not a regular file"},
    };
    for (const auto& c : cases) {
        if (c.kind == S_IFCHR && !haveDevice)
            continue;
        for (const char* extension : {".txt", ".xml"}) {
            SCOPED_TRACE(std::string(c.name) + extension);
            const QString target = c.linkTo.isEmpty() ? path(QString::fromLatin1(c.name)) : c.linkTo;
            const QString fileName = path(QString::fromLatin1(c.name) + QString::fromLatin1(extension));
            if (c.linkTo.isEmpty())
                ASSERT_EQ(std::rename(QFile::encodeName(target), QFile::encodeName(fileName)), 0);
            else
                ASSERT_TRUE(QFile::link(target, fileName));
            const QString reason =
                c.linkTo.isEmpty() ? QString::fromLatin1(c.reason) : QString::fromLatin1(c.reason).arg(target);
            EXPECT_EQ(save(fileName), failureFor(fileName, reason, true));
            struct stat status {};
            ASSERT_EQ(::stat(QFile::encodeName(fileName).constData(), &status), 0);
            EXPECT_EQ(status.st_mode & S_IFMT, c.kind);
            if (c.linkTo.isEmpty())
                ASSERT_EQ(std::rename(QFile::encodeName(fileName), QFile::encodeName(target)), 0);
            else
                ASSERT_TRUE(QFile::remove(fileName));
        }
    }
    if (!haveDevice)
        GTEST_SKIP() << "only root may make the device node; the other cases ran";
}

TEST_F(SaveFaults, ALinkToARegularFileReplacesItsTargetAndStays)
{
    QDir(m_dir.path()).mkdir(QStringLiteral("data"));
    const QString target = path(QStringLiteral("data/table.xml"));
    writeOld(target);
    // Relative, as links usually are.
    ASSERT_EQ(::symlink("data/table.xml", QFile::encodeName(path(QStringLiteral("link.xml"))).constData()), 0);
    EXPECT_TRUE(saved(save(path(QStringLiteral("link.xml")))));
    EXPECT_TRUE(QFileInfo(path(QStringLiteral("link.xml"))).isSymbolicLink());
    EXPECT_TRUE(contents(target).startsWith("<?xml"));
    EXPECT_EQ(QDir(path(QStringLiteral("data"))).entryList(QDir::Files | QDir::Hidden), QStringList{"table.xml"});
}

// The temporary name must fit beside a target whose own name is at the limit, and each later
// save over it must work as the first did.
TEST_F(SaveFaults, NamesUpToTheLimitSaveAgainAndAgain)
{
    const QString twoByteName = QString(125, QChar(0xE9)) + QStringLiteral(".txt");  // 254 bytes
    ASSERT_EQ(QFile::encodeName(twoByteName).size(), 254);
    const QString names[] = {QString(245, QLatin1Char('a')) + QStringLiteral(".txt"),
                             QString(251, QLatin1Char('b')) + QStringLiteral(".xml"), twoByteName};
    for (const QString& name : names) {
        SCOPED_TRACE(QFile::encodeName(name).size());
        for (int round = 0; round < 3; ++round) {
            m_table.appendRow(round, "12:00:00", "1.0", "#");
            EXPECT_TRUE(saved(save(path(name)))) << round;
            EXPECT_TRUE(contents(path(name)).contains("12:00:00"));
        }
        EXPECT_EQ(entries(), QStringList{name});
        QFile::remove(path(name));
    }
}

// A save killed at the rename leaves its temporary file; the next save of the same target
// removes it, but leaves that of another target and that of a save still running.
TEST_F(SaveFaults, TheNextSaveRemovesWhatAKilledSaveLeft)
{
    const QString target = path(QStringLiteral("table.xml"));
    const QString other = path(QStringLiteral("other.xml"));
    writeOld(target);
    FaultyFiles dying;
    dying.beforeReplace = [] { ::raise(SIGKILL); };
    EXPECT_EXIT(save(target, dying), ::testing::KilledBySignal(SIGKILL), "");
    EXPECT_EXIT(save(other, dying), ::testing::KilledBySignal(SIGKILL), "");
    ASSERT_EQ(entries().size(), 3);
    EXPECT_EQ(contents(target), kOld);

    // Another save of the same target starts and finishes while this one waits to rename.
    FaultyFiles overtaken;
    QString inner;
    overtaken.beforeReplace = [&] { inner = save(target); };
    EXPECT_TRUE(saved(save(target, overtaken)));
    EXPECT_TRUE(saved(inner));

    const QStringList left = entries();
    ASSERT_EQ(left.size(), 2) << left.join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(left.contains(QStringLiteral("table.xml")));
    EXPECT_TRUE(left[0].startsWith(QLatin1String(".other.xml.")) && left[0].endsWith(QLatin1String(".tq612-part")))
        << left[0].toStdString();
    EXPECT_TRUE(contents(target).startsWith("<?xml"));
}

}  // namespace
