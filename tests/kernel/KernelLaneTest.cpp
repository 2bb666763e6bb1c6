// The real program against a real kernel: run inside the kernel lane's guest
// (scripts/run-kernel-lane.sh), where the simulated thermometer's cable is a USB gadget behind
// dummy_hcd, so the program meets it through the kernel's USB, HID and hidraw drivers and udev.
#include "app/TFCOMM.h"
#include "app/TqApplication.h"
#include "chart/ChartEngine.h"
#include "chart/TChartControl.h"
#include "font/LcdFont.h"
#include "GadgetCableProcess.h"
#include "link/HidDevice.h"
#include "link/LinuxHidBackend.h"
#include "NamedControl.h"
#include "session/MeasurementSession.h"
#include "sim/SimulatedHidBackend.h"
#include "UnrelatedUhidDevice.h"
#include "WindowTestSupport.h"

#include <QAbstractItemModel>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QTableView>
#include <QTest>
#include <QThread>
#include <QToolButton>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString kFeature = QStringLiteral("feature 00 60 09 00 00 03 00 00 00 00");
const QString kPoll = QStringLiteral("output 00 02 5a 00 00 00 00 00 00");
const QString kStartLive = QStringLiteral("output 00 01 5a 00 00 00 00 00 00");
const QString kStartDownload = QStringLiteral("output 00 01 07 00 00 00 00 00 00");
const QString kStop = QStringLiteral("output 00 01 5b 00 00 00 00 00 00");
constexpr int kSlowGuestMs = 20000;  // an emulated machine without acceleration is slow
constexpr uid_t kNobody = 65534;

std::optional<HidInterfaceInfo> listedCable()
{
    for (const HidInterfaceInfo& info : LinuxHidBackend().enumerate())
        if (info.vendorId == SimulatedHidBackend::kCableVendorId && info.productId == SimulatedHidBackend::kCableProductId)
            return info;
    return std::nullopt;
}

QStringList lines(const QListWidget& list)
{
    QStringList texts;
    for (int i = 0; i < list.count(); ++i)
        texts << list.item(i)->text();
    return texts;
}

bool endsWith(const QStringList& all, const QStringList& tail)
{
    return all.size() >= tail.size() && all.mid(all.size() - tail.size()) == tail;
}

// Run as the unprivileged user, in a process of its own: the window lists the cable it may
// not open, and the history tells the user what to do about it.
int checkAccessAdviceAsUser(const QByteArray& node)
{
    TFCOMM window(windowDialogs());
    const QString advice = "No permission to open " + node + " read-write; add a udev rule giving your user access";
    const QStringList history = lines(*named<QListWidget>(window, "HistoryListBox"));
    const QStringList devices = lines(*named<QListWidget>(window, "DevListBox"));
    if (history.contains(advice) && devices.contains(QStringLiteral("USB to Serial")))
        return 0;
    qWarning("as uid %u: devices %s, history %s", unsigned(getuid()), qPrintable(devices.join(" | ")),
             qPrintable(history.join(" | ")));
    return 1;
}

}  // namespace

class KernelLaneTest : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_cable = std::make_unique<GadgetCableProcess>(QStringLiteral(TQ612_GADGET_CABLE));
        QVERIFY2(m_cable->ready(), "the gadget cable did not come up");
        QTRY_VERIFY_WITH_TIMEOUT(listedCable() && QFile::exists(QString::fromUtf8(listedCable()->path)), kSlowGuestMs);
        // Then udev has run its rules on the node, so it has its final permissions.
        QCOMPARE(QProcess::execute(QStringLiteral("udevadm"), {"settle", "--timeout=20"}), 0);
    }
    void cleanup()
    {
        m_window.reset();
        m_cable.reset();
        QTRY_VERIFY_WITH_TIMEOUT(!listedCable(), kSlowGuestMs);
    }

    void theCableIsChosenByItsProductWithItsDescriptorsLengths()
    {
        UnrelatedUhidDevice other;
        QVERIFY(other.created());
        const std::optional<HidInterfaceInfo> cable = listedCable();
        QVERIFY(cable);
        QCOMPARE(cable->productString, QStringLiteral("USB to Serial"));
        QVERIFY(cable->serialNumber.isEmpty());

        openWindow();
        auto* list = named<QListWidget>(*m_window, "DevListBox");
        QTRY_COMPARE_WITH_TIMEOUT(list->count(), 2, kSlowGuestMs);
        QCOMPARE(lines(*list).count(QStringLiteral("USB to Serial")), 1);
        QCOMPARE(list->currentItem()->text(), QStringLiteral("USB to Serial"));
        THidDevice* chosen = m_window->session().cable().currentDevice();
        QVERIFY(chosen);
        QCOMPARE(chosen->PnPInfo()->DevicePath(), cable->path);
        const THidCaps caps = chosen->ReadCaps();
        QCOMPARE(caps.InputReportByteLength, uint16_t(11));
        QCOMPARE(caps.OutputReportByteLength, uint16_t(9));
        QCOMPARE(caps.FeatureReportByteLength, uint16_t(10));
    }

    void connectSendsTheReportsInOrderAndReadingsFlow()
    {
        AnsweredMessages& messages = freshAnswers(6);
        openWindow();
        connectToggle()->click();
        QVERIFY(connected());
        QTRY_VERIFY_WITH_TIMEOUT(rows() >= 3, kSlowGuestMs);
        QCOMPARE(m_cable->received().mid(0, 3), (QStringList{kFeature, kPoll, kStartLive}));
        QVERIFY(!m_window->session().readings().currentReading().text.isEmpty());
        QCOMPARE(named<QLabel>(*m_window, "LcdD1")->text(), QString(QChar(m_window->session().readings().currentReading().text.back())));
        QVERIFY(m_window->session().pager().PageCount() >= 1);

        connectToggle()->click();
        // The program sends the feature report and Stop back to back; the gadget function keeps
        // only the latest unread request, so on a slow emulated machine the feature report can
        // be overwritten on the gadget's side before it is read. Stop must come last.
        QTRY_VERIFY2_WITH_TIMEOUT(m_cable->received().endsWith(kStop), qPrintable(m_cable->received().join(" | ")),
                                  kSlowGuestMs);
        QVERIFY(messages.shown.isEmpty());
        QCOMPARE(readErrors(), 0);
    }

    void downloadFetchesTheStoredReadingsAndStopsAtTheEndMark()
    {
        AnsweredMessages& messages = freshAnswers(6);
        openWindow();
        named<QCheckBox>(*m_window, "RecallData")->setChecked(true);
        connectToggle()->click();
        QCOMPARE(messages.shown, QStringList{"Are you sure that you want to delete this record?"});
        // The window busy just after the download starts: longer than hidraw's 64 reports last.
        QThread::msleep(5000);
        // The default thermometer holds ten readings; the last one ends the download.
        QTRY_VERIFY2_WITH_TIMEOUT(endsWith(m_cable->received(), {kStartDownload, kStop}),
                                  qPrintable(QString::number(rows()) + " rows; sent " + m_cable->received().join(" | ")),
                                  kSlowGuestMs);
        QTRY_COMPARE_WITH_TIMEOUT(rows(), 10, kSlowGuestMs);
        const auto* model = named<QTableView>(*m_window, "DBGrid1")->model();
        QCOMPARE(model->index(9, 2).data().toString(), QStringLiteral(" 21.7"));
        QTRY_COMPARE_WITH_TIMEOUT(m_cable->readingFramesSent(), 10, kSlowGuestMs);
        QVERIFY(history().filter(QStringLiteral("READ OVERFLOW")).isEmpty());
    }

    // Every frame the thermometer sends while the window is busy for 10 s becomes a row.
    void liveRecordingThroughAStallRecordsEveryFrame()
    {
        freshAnswers(6);
        openWindow();
        connectToggle()->click();
        QTRY_VERIFY_WITH_TIMEOUT(rows() >= 2, kSlowGuestMs);
        QThread::msleep(10000);
        QVERIFY(m_cable->readingFramesSent() >= 20);
        // Caught up: the rows keep pace with the frames sent, short of the frame on its way. A
        // frame lost in the stall would leave them behind for good.
        QTRY_VERIFY2_WITH_TIMEOUT(rows() >= m_cable->readingFramesSent() - 1,
                                  qPrintable(QStringLiteral("%1 rows, %2 frames sent").arg(rows()).arg(m_cable->readingFramesSent())),
                                  kSlowGuestMs);
        QVERIFY(rows() <= m_cable->readingFramesSent());
        QVERIFY(history().filter(QStringLiteral("READ OVERFLOW")).isEmpty());
    }

    void unplugDuringARecordingKeepsTheRowsAndReplugConnectsAgain()
    {
        AnsweredMessages& messages = freshAnswers(6);
        openWindow();
        connectToggle()->click();
        QTRY_VERIFY_WITH_TIMEOUT(rows() >= 2, kSlowGuestMs);

        QVERIFY(m_cable->unplug());
        QTRY_VERIFY_WITH_TIMEOUT(!connected(), kSlowGuestMs);
        QTRY_COMPARE_WITH_TIMEOUT(named<QListWidget>(*m_window, "DevListBox")->count(), 0, kSlowGuestMs);
        const int rows = this->rows();
        QTest::qWait(1000);
        QCOMPARE(this->rows(), rows);
        QVERIFY(rows >= 2);
        QVERIFY(history().contains(QStringLiteral("Removal of USB to Serial")));
        const QString lastNo = named<QTableView>(*m_window, "DBGrid1")->model()->index(rows - 1, 0).data().toString();
        QCOMPARE(messages.shown,
                 QStringList{"The cable was unplugged: recording stopped after reading " + lastNo.trimmed() + "."});
        // Read errors until the removal is noticed, one per wait slice at most, and none after.
        const int errors = readErrors();
        QVERIFY2(errors <= 10, qPrintable(history().join(" | ")));
        QTest::qWait(500);
        QCOMPARE(readErrors(), errors);

        QVERIFY(m_cable->plugIn());
        QTRY_COMPARE_WITH_TIMEOUT(lines(*named<QListWidget>(*m_window, "DevListBox")), QStringList{"USB to Serial"},
                                  kSlowGuestMs);
        connectToggle()->click();
        QVERIFY(connected());
        QTRY_VERIFY_WITH_TIMEOUT(this->rows() >= rows + 2, kSlowGuestMs);
        QCOMPARE(messages.shown.size(), 1);
    }

    // The packaged udev rule tags the cable's node for the user at the seat and leaves every
    // other HID device alone; without a seat the node stays root's, so another user gets the
    // backend's access advice.
    void theUdevRuleTagsTheNodeAndAnotherUserGetsTheAccessAdvice()
    {
        UnrelatedUhidDevice other;
        QVERIFY(other.created());
        QCOMPARE(QProcess::execute(QStringLiteral("udevadm"), {"settle", "--timeout=20"}), 0);
        const QByteArray node = listedCable()->path;
        const auto properties = [](const QString& name) {
            QProcess udevadm;
            udevadm.start(QStringLiteral("udevadm"), {"info", "--query=property", "--name=" + name});
            udevadm.waitForFinished(kSlowGuestMs);
            return udevadm.readAllStandardOutput();
        };
        const QByteArray cableProperties = properties(QString::fromUtf8(node));
        QVERIFY2(cableProperties.contains(":uaccess:"), cableProperties.constData());
        int others = 0;
        for (const QString& name : QDir(QStringLiteral("/dev")).entryList({QStringLiteral("hidraw*")}, QDir::System)) {
            const QString path = QStringLiteral("/dev/") + name;
            if (path.toUtf8() == node)
                continue;
            ++others;
            const QByteArray otherProperties = properties(path);
            QVERIFY2(!otherProperties.contains(":uaccess:"), otherProperties.constData());
        }
        QVERIFY(others >= 1);
        struct stat status {};
        QCOMPARE(::stat(node.constData(), &status), 0);
        QCOMPARE(status.st_mode & 0077, mode_t(0));

        const QString runtime = QDir::temp().filePath(QStringLiteral("nobody-runtime"));
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(::chown(QFile::encodeName(runtime).constData(), kNobody, kNobody), 0);
        QProcess user;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
        user.setProcessEnvironment(environment);
        user.setProcessChannelMode(QProcess::ForwardedChannels);
        user.start(QStringLiteral("setpriv"), {"--reuid=65534", "--regid=65534", "--clear-groups", "--",
                                                QCoreApplication::applicationFilePath(), "--access-advice-for",
                                                QString::fromUtf8(node)});
        QVERIFY(user.waitForFinished(kSlowGuestMs * 3));
        QCOMPARE(user.exitStatus(), QProcess::NormalExit);
        QCOMPARE(user.exitCode(), 0);
    }

private:
    void openWindow()
    {
        m_window = std::make_unique<TFCOMM>(windowDialogs());
        // Every reading becomes a row, so the tests need not wait for the sampling interval.
        named<QCheckBox>(*m_window, "RecordSI")->setChecked(false);
        m_window->show();
    }
    QToolButton* connectToggle() const { return named<QToolButton>(*m_window, "USBCon"); }
    bool connected() const { return connectToggle()->isChecked(); }
    int rows() const { return named<QTableView>(*m_window, "DBGrid1")->model()->rowCount(); }
    QStringList history() const { return lines(*named<QListWidget>(*m_window, "HistoryListBox")); }
    int readErrors() const { return int(history().filter(QStringLiteral("READ ERROR")).size()); }

    std::unique_ptr<GadgetCableProcess> m_cable;
    std::unique_ptr<TFCOMM> m_window;
};

int main(int argc, char** argv)
{
    TqApplication app(argc, argv, windowDialogs());
    registerLcdFont();
    if (argc == 3 && QByteArray(argv[1]) == "--access-advice-for")
        return checkAccessAdviceAsUser(argv[2]);
    KernelLaneTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "KernelLaneTest.moc"
