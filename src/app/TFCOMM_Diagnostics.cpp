// Controls the user does not see: children of the client area that are either hidden or
// placed under the right column, which covers them. Other parts of the program still read
// and set them, and the covered ones stay reachable with the Tab key.
#include "BevelPanel.h"
#include "Icons.h"
#include "TFCOMM.h"
#include "WidgetFactory.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

using namespace WidgetFactory;

namespace {

using Bevel = BevelPanel::Bevel;

const QColor kSilver(192, 192, 192);
const QColor kSerialButtonColour(0, 128, 255);

BevelPanel* panel(QWidget* parent, const char* name, const QRect& geometry, Bevel outer, Bevel inner,
                  const QColor& colour)
{
    auto* result = placed(new BevelPanel(outer, inner, parent), name, geometry);
    setColour(result, QPalette::Window, colour);
    return result;
}

// The serial path's buttons are panels: blue with a yellow italic caption.
BevelPanel* serialButton(QWidget* parent, const char* name, const QRect& geometry, const QString& caption,
                         int fontPixels)
{
    BevelPanel* result = panel(parent, name, geometry, Bevel::None, Bevel::Raised, kSerialButtonColour);
    result->setCaption(caption);
    result->setFont(pixelFont(QStringLiteral("Arial"), fontPixels, Bold | Italic));
    setColour(result, QPalette::WindowText, Qt::yellow);
    return result;
}

}  // namespace

void TFCOMM::buildDiagnostics()
{
    // Created in the order the Tab key walks them, which is also the order they were laid out in.
    buildLimitPanel();
    m_SetFeature = pushButton(m_Client, "SetFeature", QRect(888, 552, 73, 25), QStringLiteral("SetFeature"));
    m_HistoryListBox = placed(new QListWidget(m_Client), "HistoryListBox", QRect(872, 314, 211, 122));
    buildDownloadPanel();
    m_SendData = pushButton(m_Client, "SendData", QRect(912, 376, 89, 25), QStringLiteral("USBSendData"));

    m_COMCon = flatButton(m_Client, "COMCon", QRect(913, 339, 94, 25), QStringLiteral("Serial Meter"));
    m_COMCon->setCheckable(true);
    m_COMCon->setFont(pixelFont(QStringLiteral("Arial"), 13, Bold));
    m_COMCon->hide();

    const QFont smallItalic = pixelFont(QStringLiteral("Arial"), 10, Italic);
    m_USBtxt = label(m_Client, "USBtxt", QRect(832, 27, 24, 13), QStringLiteral("6001"), smallItalic);
    setColour(m_USBtxt, QPalette::WindowText, Qt::black);
    m_USBtxt->hide();
    m_USBtxt1 = label(m_Client, "USBtxt1", QRect(832, 43, 24, 13), QStringLiteral("6001"), smallItalic);
    setColour(m_USBtxt1, QPalette::WindowText, Qt::red);
    m_USBtxt1->hide();

    m_ReadBtn = flatButton(m_Client, "ReadBtn", QRect(1000, 256, 41, 25), QStringLiteral("Read"));
    m_ReadBtn->setCheckable(true);
    m_ReadBtn->hide();
    m_ClearBtn = flatButton(m_Client, "ClearBtn", QRect(890, 422, 33, 25), QStringLiteral("Clear"));
    m_InfoBtn = flatButton(m_Client, "InfoBtn", QRect(960, 306, 33, 25), QStringLiteral("Info"));
    m_InfoBtn->hide();
    m_BtNew = flatButton(m_Client, "BtNew", QRect(872, 139, 35, 21), QIcon(Icons::blankPage()));
    setHint(m_BtNew, QStringLiteral("New"), HintShown::No);

    BevelPanel** const ports[] = {&m_BtCOM1, &m_BtCOM2, &m_BtCOM3, &m_BtCOM4};
    const char* const portNames[] = {"BtCOM1", "BtCOM2", "BtCOM3", "BtCOM4"};
    for (int i = 0; i < 4; ++i) {
        BevelPanel* port = panel(m_Client, portNames[i], QRect(893, 27, 61, 24), Bevel::None, Bevel::Lowered, kSilver);
        port->setCaption(QStringLiteral("COM %1").arg(i + 1));
        port->setFont(pixelFont(QStringLiteral("Arial"), 16, Bold));
        port->hide();
        *ports[i] = port;
    }

    buildGaugePanel();

    m_BTCon = serialButton(m_Client, "BTCon", QRect(888, 98, 105, 26), QStringLiteral("Connect"), 19);
    m_BtDiscon = serialButton(m_Client, "BtDiscon", QRect(888, 98, 105, 26), QStringLiteral("Disconnect"), 16);
    m_BtDiscon->hide();
    m_BtExit = serialButton(m_Client, "BtExit", QRect(928, 98, 65, 26), QStringLiteral("Exit"), 19);
    m_BtExit->hide();

    m_MeterModelBox1 = checkBox(m_Client, "MeterModelBox1", QRect(950, 16, 97, 17), QStringLiteral("Meter Model 1"), false);
    m_SerialProtocolBox = checkBox(m_Client, "SerialProtocolBox", QRect(950, 32, 97, 17), QStringLiteral("Meter Model 2"), true);
    m_MeterModelBox3 = checkBox(m_Client, "MeterModelBox3", QRect(1000, 48, 97, 17), QStringLiteral("Meter Model 3"), false);
    m_MeterModelBox4 = checkBox(m_Client, "MeterModelBox4", QRect(1000, 64, 97, 17), QStringLiteral("Meter Model 4"), false);
    for (QCheckBox* box : {m_MeterModelBox1, m_SerialProtocolBox, m_MeterModelBox3, m_MeterModelBox4})
        box->hide();

    m_Memo1 = placed(new QPlainTextEdit(QStringLiteral("Memo1"), m_Client), "Memo1", QRect(848, 216, 321, 25));
    m_Memo1->setFont(pixelFont(QStringLiteral("GulimChe"), 11, Bold));
    m_Memo1->setTabChangesFocus(false);

    m_DevListBox = placed(new QListWidget(m_Client), "DevListBox", QRect(872, 266, 211, 25));
    m_DevListBox->hide();

    struct HiddenButton {
        QPushButton** member;
        const char* name;
        QRect geometry;
        const char* caption;
    };
    const HiddenButton hiddenButtons[] = {
        {&m_RecallDataTest, "RecallDataTest", {1168, 40, 75, 25}, "RecallData"},
        {&m_Onescope, "Onescope", {1080, 40, 73, 17}, "One scope"},
        {&m_Button2, "Button2", {920, 440, 105, 25}, "SET Baud Rate"},
        {&m_Button3, "Button3", {888, 496, 77, 24}, "Serial Meter"},
        {&m_Button4, "Button4", {944, 32, 57, 17}, "Button4"},
    };
    for (const HiddenButton& entry : hiddenButtons) {
        *entry.member = pushButton(m_Client, entry.name, entry.geometry, QString::fromLatin1(entry.caption));
        (*entry.member)->hide();
    }

    m_B2400 = checkBox(m_Client, "B2400", QRect(1192, 24, 49, 17), QStringLiteral("2400"), true);
    m_B4800 = checkBox(m_Client, "B4800", QRect(1248, 24, 49, 17), QStringLiteral("4800"), false);
    m_B9600 = checkBox(m_Client, "B9600", QRect(1304, 24, 49, 17), QStringLiteral("9600"), false);

    m_ReportPanel = panel(m_Client, "ReportPanel", QRect(40, 576, 969, 225), Bevel::Raised, Bevel::None,
                          palette().color(QPalette::Window));
    m_ReportPanel->hide();
}

void TFCOMM::buildLimitPanel()
{
    m_Panel3 = panel(m_Client, "Panel3", QRect(843, 79, 334, 48), Bevel::None, Bevel::Lowered, kSilver);

    const QFont segmentBold = pixelFont(LcdFace, 12, Bold);
    const QFont arialItalic = pixelFont(QStringLiteral("Arial"), 14, Italic);
    const QFont segment = pixelFont(LcdFace, 14);
    m_Label11 = label(m_Panel3, "Label11", QPoint(8, 8), QStringLiteral("MIN: "), segmentBold);
    m_Label12 = label(m_Panel3, "Label12", QPoint(8, 27), QStringLiteral("MAX: "), segmentBold);
    m_MinText = label(m_Panel3, "MinText", QPoint(56, 8), QStringLiteral("40001"), arialItalic);
    m_MaxText = label(m_Panel3, "MaxText", QPoint(48, 27), QStringLiteral("-40001"), arialItalic);
    m_MinTextU = label(m_Panel3, "MinTextU", QPoint(112, 8), QStringLiteral("*"), segment);
    m_MaxTextU = label(m_Panel3, "MaxTextU", QPoint(112, 27), QStringLiteral("*"), segment);
    for (QLabel* text : {m_Label11, m_Label12, m_MinText, m_MaxText, m_MinTextU, m_MaxTextU})
        setColour(text, QPalette::WindowText, Qt::black);

    m_SetMaxB = checkBox(m_Panel3, "SetMaxB", QRect(180, 6, 68, 17), QStringLiteral("SetMax:"), false);
    m_SetMinB = checkBox(m_Panel3, "SetMinB", QRect(180, 27, 65, 17), QStringLiteral("SetMin: "), false);
    m_Setmax = edit(m_Panel3, "Setmax", QRect(248, 3, 81, 21), QStringLiteral("40000"));
    m_SetMin = edit(m_Panel3, "SetMin", QRect(248, 25, 81, 21), QStringLiteral("-40000"));
}

void TFCOMM::buildDownloadPanel()
{
    m_Panel2 = panel(m_Client, "Panel2", QRect(852, 62, 334, 26), Bevel::None, Bevel::Lowered, kSilver);

    m_RecallCheck = checkBox(m_Panel2, "RecallCheck", QRect(3, 2, 86, 20), QStringLiteral("RecallData"), false);
    m_RecallCheck->setFont(pixelFont(QStringLiteral("Arial"), 12, Bold | Italic));
    setColour(m_RecallCheck, QPalette::WindowText, Qt::black);

    const QFont plain = font();
    m_Label2 = label(m_Panel2, "Label2", QPoint(88, 5), QStringLiteral("StartTime:"), plain);
    m_TimeH = edit(m_Panel2, "TimeH", QRect(143, 2, 25, 21), QStringLiteral("23"));
    m_Label3 = label(m_Panel2, "Label3", QPoint(169, 4), QStringLiteral(":"), plain);
    m_TimeM = edit(m_Panel2, "TimeM", QRect(175, 2, 25, 21), QStringLiteral("59"));
    m_Label4 = label(m_Panel2, "Label4", QPoint(201, 4), QStringLiteral(":"), plain);
    m_TimeS = edit(m_Panel2, "TimeS", QRect(207, 2, 25, 21), QStringLiteral("59"));
    m_Label1 = label(m_Panel2, "Label1", QPoint(238, 5), QStringLiteral("Interval"), plain);
    m_TimeInt = edit(m_Panel2, "TimeInt", QRect(284, 2, 30, 21), QStringLiteral("1"));
    m_Label5 = label(m_Panel2, "Label5", QPoint(317, 4), QStringLiteral("'S"), plain);
    for (QLineEdit* box : {m_TimeH, m_TimeM, m_TimeS, m_TimeInt})
        setColour(box, QPalette::Base, kSilver);
}

void TFCOMM::buildGaugePanel()
{
    m_KD = panel(m_Client, "KD", QRect(857, 240, 33, 38), Bevel::None, Bevel::Lowered, Qt::white);
    m_KD1 = new QLabel(m_KD);
    m_KD1->setObjectName(QStringLiteral("KD1"));
    m_KD1->setScaledContents(true);
    // The gauge is enlarged and restored at run time; its picture keeps filling it.
    auto* fill = new QHBoxLayout(m_KD);
    fill->setContentsMargins(1, 1, 1, 1);
    fill->addWidget(m_KD1);
    m_KdFd = flatButton(m_KD, "KdFd", QRect(264, 5, 25, 25), QIcon(Icons::magnifier(Icons::Sign::Plus, Qt::red)),
                        QSize(25, 25));
    m_KdFd->hide();
    m_KdSx = flatButton(m_KD, "KdSx", QRect(288, 5, 25, 25), QIcon(Icons::magnifier(Icons::Sign::Minus, Qt::red)),
                        QSize(25, 25));
    m_KdSx->hide();
    m_oltext = panel(m_KD, "oltext", QRect(109, 72, 113, 49), Bevel::None, Bevel::None, QColor(128, 128, 128));
    m_oltext->setCaption(QStringLiteral("OL !!"));
    m_oltext->setFont(pixelFont(QStringLiteral("Arial"), 35, Bold));
    setColour(m_oltext, QPalette::WindowText, Qt::white);
    m_oltext->hide();
    m_KD->hide();
}
