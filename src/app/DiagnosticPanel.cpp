#include "app/DiagnosticPanel.h"

#include "display/GaugePanel.h"
#include "display/LimitPanel.h"
#include "link/CableReports.h"
#include "record/StartTimePanel.h"
#include "widgets/BevelPanel.h"
#include "widgets/Icons.h"
#include "widgets/WidgetFactory.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

using namespace WidgetFactory;

namespace {

using Bevel = BevelPanel::Bevel;

const QColor kSilver(192, 192, 192);
const QColor kSerialButtonColour(0, 128, 255);

// The serial path's buttons are panels: blue with a yellow italic caption.
BevelPanel* serialButton(QWidget* parent, const char* name, const QRect& geometry, const QString& caption,
                         int fontPixels)
{
    BevelPanel* result = BevelPanel::create(parent, name, geometry, Bevel::None, Bevel::Raised, kSerialButtonColour);
    result->setCaption(caption);
    result->setFont(pixelFont(QStringLiteral("Arial"), fontPixels, Bold | Italic));
    setColour(result, QPalette::WindowText, Qt::yellow);
    return result;
}

}  // namespace

DiagnosticPanel::DiagnosticPanel(UserMessages& messages, QWidget* client) : QWidget(client)
{
    setObjectName(QStringLiteral("DiagnosticPanel"));
    setGeometry(client->rect());

    // Created in the order the Tab key walks them, which is also the order they were laid out in.
    m_limits = new LimitPanel(this);
    m_setFeature = pushButton(this, "SetFeature", QRect(888, 552, 73, 25), QStringLiteral("SetFeature"));
    m_history = placed(new QListWidget(this), "HistoryListBox", QRect(872, 314, 211, 122));
    // The history gains a line per payload report; equal line heights keep each addition cheap.
    m_history->setUniformItemSizes(true);
    m_startTime = new StartTimePanel(messages, this);
    m_sendData = pushButton(this, "SendData", QRect(912, 376, 89, 25), QStringLiteral("USBSendData"));

    m_serialToggle = flatButton(this, "COMCon", QRect(913, 339, 94, 25), QStringLiteral("Serial Meter"));
    m_serialToggle->setCheckable(true);
    m_serialToggle->setFont(pixelFont(QStringLiteral("Arial"), 13, Bold));
    m_serialToggle->hide();

    const QFont smallItalic = pixelFont(QStringLiteral("Arial"), 10, Italic);
    m_frameText = label(this, "USBtxt", QRect(832, 27, 24, 13), QStringLiteral("6001"), smallItalic);
    setColour(m_frameText, QPalette::WindowText, Qt::black);
    m_frameText->hide();
    m_markedFrameText = label(this, "USBtxt1", QRect(832, 43, 24, 13), QStringLiteral("6001"), smallItalic);
    setColour(m_markedFrameText, QPalette::WindowText, Qt::red);
    m_markedFrameText->hide();

    m_read = flatButton(this, "ReadBtn", QRect(1000, 256, 41, 25), QStringLiteral("Read"));
    m_read->setCheckable(true);
    m_read->hide();
    m_clear = flatButton(this, "ClearBtn", QRect(890, 422, 33, 25), QStringLiteral("Clear"));
    flatButton(this, "InfoBtn", QRect(960, 306, 33, 25), QStringLiteral("Info"))->hide();
    QToolButton* newButton = flatButton(this, "BtNew", QRect(872, 139, 35, 21), QIcon(Icons::blankPage()));
    setHint(newButton, QStringLiteral("New"), HintShown::No);

    buildSerialControls();

    m_memo = placed(new QPlainTextEdit(QStringLiteral("Memo1"), this), "Memo1", QRect(848, 216, 321, 25));
    m_memo->setFont(pixelFont(QStringLiteral("GulimChe"), 11, Bold));
    m_memo->setTabChangesFocus(false);

    m_devices = placed(new QListWidget(this), "DevListBox", QRect(872, 266, 211, 25));
    m_devices->hide();

    buildHiddenButtons();

    m_b2400 = checkBox(this, "B2400", QRect(1192, 24, 49, 17), QStringLiteral("2400"), true);
    m_b4800 = checkBox(this, "B4800", QRect(1248, 24, 49, 17), QStringLiteral("4800"), false);
    m_b9600 = checkBox(this, "B9600", QRect(1304, 24, 49, 17), QStringLiteral("9600"), false);

    BevelPanel::create(this, "ReportPanel", QRect(40, 576, 969, 225), Bevel::Raised, Bevel::None,
                       palette().color(QPalette::Window))
        ->hide();
}

void DiagnosticPanel::buildSerialControls()
{
    const char* const portNames[] = {"BtCOM1", "BtCOM2", "BtCOM3", "BtCOM4"};
    for (int i = 0; i < 4; ++i) {
        BevelPanel* port = BevelPanel::create(this, portNames[i], QRect(893, 27, 61, 24), Bevel::None, Bevel::Lowered, kSilver);
        m_portPanels[i] = port;
        port->setCaption(QStringLiteral("COM %1").arg(i + 1));
        port->setFont(pixelFont(QStringLiteral("Arial"), 16, Bold));
        port->hide();
    }

    m_gauge = new GaugePanel(this);

    m_serialConnect = serialButton(this, "BTCon", QRect(888, 98, 105, 26), QStringLiteral("Connect"), 19);
    m_serialDisconnect = serialButton(this, "BtDiscon", QRect(888, 98, 105, 26), QStringLiteral("Disconnect"), 16);
    m_serialDisconnect->hide();
    serialButton(this, "BtExit", QRect(928, 98, 65, 26), QStringLiteral("Exit"), 19)->hide();

    QCheckBox* models[] = {
        checkBox(this, "MeterModelBox1", QRect(950, 16, 97, 17), QStringLiteral("Meter Model 1"), false),
        checkBox(this, "SerialProtocolBox", QRect(950, 32, 97, 17), QStringLiteral("Meter Model 2"), true),
        checkBox(this, "MeterModelBox3", QRect(1000, 48, 97, 17), QStringLiteral("Meter Model 3"), false),
        checkBox(this, "MeterModelBox4", QRect(1000, 64, 97, 17), QStringLiteral("Meter Model 4"), false),
    };
    m_serialProtocol = models[1];
    for (QCheckBox* box : models)
        box->hide();
}

void DiagnosticPanel::buildHiddenButtons()
{
    struct HiddenButton {
        const char* name;
        QRect geometry;
        const char* caption;
    };
    const HiddenButton hiddenButtons[] = {
        {"RecallDataTest", {1168, 40, 75, 25}, "RecallData"},
        {"Onescope", {1080, 40, 73, 17}, "One scope"},
        {"Button2", {920, 440, 105, 25}, "SET Baud Rate"},
        {"Button3", {888, 496, 77, 24}, "Serial Meter"},
        {"Button4", {944, 32, 57, 17}, "Button4"},
    };
    for (const HiddenButton& entry : hiddenButtons) {
        QPushButton* button = pushButton(this, entry.name, entry.geometry, QString::fromLatin1(entry.caption));
        button->hide();
        if (entry.name == QByteArrayView("Button2"))
            m_baudRate = button;
        else if (entry.name == QByteArrayView("Button3"))
            m_serialMeter = button;
        else if (entry.name == QByteArrayView("Button4"))
            m_decodeTest = button;
    }
}

void DiagnosticPanel::addHistoryLine(const QByteArray& line)
{
    m_history->addItem(QString::fromLocal8Bit(line));
    while (m_history->count() > kHistoryLines)
        delete m_history->takeItem(0);
    m_history->setCurrentRow(m_history->count() - 1);
}

void DiagnosticPanel::clearHistory()
{
    m_history->clear();
    m_memo->clear();
}

void DiagnosticPanel::clearDeviceLines()
{
    m_devices->clear();
}

void DiagnosticPanel::addDeviceLine(const QByteArray& line)
{
    m_devices->addItem(QString::fromLocal8Bit(line));
}

void DiagnosticPanel::setCurrentDeviceRow(int row)
{
    m_devices->setCurrentRow(row);
}

int DiagnosticPanel::selectedDeviceRow() const
{
    const int row = m_devices->currentRow();
    if (m_devices->count() > 0 && row >= 0 && m_devices->item(row)->isSelected())
        return row;
    return -1;
}

bool DiagnosticPanel::readTicked() const
{
    return m_read->isChecked();
}

void DiagnosticPanel::releaseReadButton()
{
    m_read->setChecked(false);
}

CableReports::BaudBoxes DiagnosticPanel::baudBoxes() const
{
    return {m_b9600->isChecked(), m_b4800->isChecked(), m_b2400->isChecked()};
}

void DiagnosticPanel::showFrameText(const QByteArray& frame)
{
    m_frameText->setText(QString::fromLocal8Bit(frame));
}

void DiagnosticPanel::showMarkedFrameText(const QByteArray& frame)
{
    m_markedFrameText->setText(QString::fromLocal8Bit(frame));
}

void DiagnosticPanel::hideAtStart()
{
    m_memo->hide();
    m_b2400->hide();
    m_b4800->hide();
    m_b9600->hide();
}

bool DiagnosticPanel::serialProtocolTicked() const
{
    return m_serialProtocol->isChecked();
}

bool DiagnosticPanel::serialToggleDown() const
{
    return m_serialToggle->isChecked();
}

void DiagnosticPanel::showSerialConnected(bool connected)
{
    m_serialConnect->setVisible(!connected);
    m_serialDisconnect->setVisible(connected);
    for (BevelPanel* port : m_portPanels)
        port->setEnabled(!connected);
}
