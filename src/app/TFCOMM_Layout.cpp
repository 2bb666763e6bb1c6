// The visible part of the main window: the top bar, the left column with the LCD panel,
// the record bar and the grid, and the right column with the chart's tool bar and area.
#include "BevelPanel.h"
#include "Icons.h"
#include "LcdDot.h"
#include "TFCOMM.h"
#include "WidgetFactory.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>

using namespace WidgetFactory;

namespace {

using Bevel = BevelPanel::Bevel;

const QColor kSystemBlue(0, 0, 255);

BevelPanel* panel(QWidget* parent, const char* name, const QRect& geometry, Bevel outer, Bevel inner)
{
    return placed(new BevelPanel(outer, inner, parent), name, geometry);
}

}  // namespace

void TFCOMM::buildTopBar()
{
    m_Panel4 = panel(m_Client, "Panel4", QRect(0, 0, 920, 33), Bevel::None, Bevel::None);
    const QFont arial13 = pixelFont(QStringLiteral("Arial"), 13);

    m_USBCon = flatButton(m_Panel4, "USBCon", QRect(3, 4, 110, 25), QStringLiteral("Connect"));
    m_USBCon->setCheckable(true);
    m_USBCon->setFont(arial13);
    setHint(m_USBCon, QStringLiteral("USB Connect"), HintShown::No);

    m_RecallData = checkBox(m_Panel4, "RecallData", QRect(136, 11, 121, 17), QStringLiteral("Download Data"), false);
    m_RecallData->setFont(arial13);

    m_BitBtn1 = pushButton(m_Panel4, "BitBtn1", QRect(835, 4, 68, 25), QStringLiteral("Exit"));
    m_BitBtn1->setFont(arial13);
    setColour(m_BitBtn1, QPalette::ButtonText, Qt::black);
    connect(m_BitBtn1, &QPushButton::clicked, this, &TFCOMM::BitBtn1Click);
}

void TFCOMM::buildLeftColumn()
{
    m_Panel5 = panel(m_Client, "Panel5", QRect(0, 33, 337, 549), Bevel::None, Bevel::None);
    buildLcdPanel();

    // The progress bar is never shown, but it keeps its slot, so the record bar and the
    // grid sit where the layout puts them.
    m_PBar2 = placed(new QProgressBar(m_Panel5), "PBar2", QRect(0, 145, 337, 12));
    m_PBar2->setRange(0, 40);
    m_PBar2->setValue(1);
    m_PBar2->hide();

    buildRecordBar();
    buildGrid();

    m_Print = flatButton(m_Panel5, "Print", QRect(112, 495, 33, 25), QIcon(Icons::printer()));
    setHint(m_Print, QStringLiteral("Print"), HintShown::No);
    m_Print->hide();
}

void TFCOMM::buildLcdPanel()
{
    m_Panel1 = panel(m_Panel5, "Panel1", QRect(0, 0, 337, 145), Bevel::Lowered, Bevel::Raised);
    setColour(m_Panel1, QPalette::Window, Qt::white);

    struct LcdLabel {
        QLabel** member;
        const char* name;
        QRect geometry;
        const char* caption;
        QFont font;
        bool shown;
    };
    const QString arial = QStringLiteral("Arial");
    const LcdLabel labels[] = {
        {&m_LcdFH, "LcdFH", {16, 15, 36, 112}, "-", pixelFont(LcdFace, 113), false},
        {&m_LcdD4, "LcdD4", {56, 15, 43, 126}, "3", pixelFont(LcdFace, 113), true},
        {&m_LcdD3, "LcdD3", {119, 15, 43, 126}, "9", pixelFont(LcdFace, 113), true},
        {&m_LcdD2, "LcdD2", {182, 15, 43, 126}, "9", pixelFont(LcdFace, 113), true},
        {&m_LcdD1, "LcdD1", {245, 15, 43, 126}, "9", pixelFont(LcdFace, 113), true},
        {&m_LcdAuto, "LcdAuto", {16, 11, 58, 21}, "AUTO", pixelFont(LcdFace, 19, Bold), false},
        {&m_LCDBF, "LCDBF", {112, 8, 57, 22}, "DUTY", pixelFont(LcdFace, 20, Bold), false},
        {&m_LcdAC, "LcdAC", {190, 14, 29, 22}, "AC", pixelFont(LcdFace, 20, Bold), false},
        {&m_LcdDc1, "LcdDc1", {231, 14, 30, 22}, "DC", pixelFont(LcdFace, 20, Bold), false},
        {&m_LcdACDC, "LcdACDC", {85, 14, 56, 19}, "AC+DC", pixelFont(arial, 16, Bold), false},
        {&m_LCDJa, "LCDJa", {219, 13, 12, 24}, "+", pixelFont(arial, 21), false},
        {&m_LCDRec, "LCDRec", {168, 3, 19, 36}, "!", pixelFont(LcdFace, 32), false},
        {&m_LCDHold, "LCDHold", {16, 30, 19, 39}, "\"", pixelFont(LcdFace, 35), false},
        {&m_LCDBATT, "LCDBATT", {16, 88, 12, 39}, "$", pixelFont(LcdFace, 35), false},
        {&m_LCDDI, "LCDDI", {264, 9, 31, 32}, ")", pixelFont(LcdFace, 29), false},
        {&m_LCDC, "LCDC", {295, 38, 24, 36}, "#", pixelFont(LcdFace, 32), false},
        {&m_LCDF, "LCDF", {295, 42, 23, 36}, "?", pixelFont(LcdFace, 32), false},
        {&m_LCDTRMS, "LCDTRMS", {296, 11, 16, 14}, "uF", pixelFont(LcdFace, 12, Bold), false},
    };
    for (const LcdLabel& entry : labels) {
        *entry.member = label(m_Panel1, entry.name, entry.geometry, QString::fromLatin1(entry.caption), entry.font);
        (*entry.member)->setVisible(entry.shown);
    }
    // The sign keeps its size whatever it shows.
    m_LcdFH->setFixedSize(36, 112);

    m_LcdP0 = placed(new LcdDot(m_Panel1), "LcdP0", QRect(106, 110, 7, 8));
    m_LcdP1 = placed(new LcdDot(m_Panel1), "LcdP1", QRect(168, 110, 7, 8));
    m_LcdP2 = placed(new LcdDot(m_Panel1), "LcdP2", QRect(232, 110, 7, 8));
    m_LcdP1->hide();
    m_LcdP2->hide();
}

void TFCOMM::buildRecordBar()
{
    m_Panel6 = panel(m_Panel5, "Panel6", QRect(0, 157, 337, 29), Bevel::Lowered, Bevel::Raised);
    const QFont arial11 = pixelFont(QStringLiteral("Arial"), 11);

    m_RepeatSet = checkBox(m_Panel6, "RepeatSet", QRect(3, 5, 54, 20), QStringLiteral("Repeat"), true);
    m_RepeatSet->setFont(arial11);
    setColour(m_RepeatSet, QPalette::WindowText, Qt::black);
    setHint(m_RepeatSet, QStringLiteral("Repeage Record"), HintShown::No);

    // The interval box lies over the run of blanks, so the caption reads around it.
    m_RecordSI = checkBox(m_Panel6, "RecordSI", QRect(57, 5, 143, 20),
                          QStringLiteral("Sampling Interval           'S"), true);
    m_RecordSI->setFont(arial11);
    setColour(m_RecordSI, QPalette::WindowText, Qt::black);
    m_RecordSITime = edit(m_Panel6, "RecordSITime", QRect(159, 4, 27, 21), QStringLiteral("1"));

    m_RecordNew = flatButton(m_Panel6, "RecordNew", QRect(244, 4, 23, 21), QIcon(Icons::blankPage()));
    setHint(m_RecordNew, QStringLiteral("Close Data"), HintShown::Yes);
    m_OpenDataFiles = flatButton(m_Panel6, "OpenDataFiles", QRect(266, 4, 23, 21), Icons::openFolderIcon());
    setHint(m_OpenDataFiles, QStringLiteral("Open old data files"), HintShown::Yes);
    m_saveas = flatButton(m_Panel6, "saveas", QRect(288, 4, 23, 21), QIcon(Icons::floppyDisk()));
    setHint(m_saveas, QStringLiteral("Save data files"), HintShown::Yes);
    m_BtPrint = flatButton(m_Panel6, "BtPrint", QRect(310, 4, 22, 21), QIcon(Icons::printer()));
    m_BtPrint->setFont(pixelFont(QStringLiteral("Arial"), 11, Bold));
    m_BtPrint->setCursor(Qt::ArrowCursor);
    setHint(m_BtPrint, QStringLiteral("Print"), HintShown::No);
}

void TFCOMM::buildGrid()
{
    m_DBGrid1 = placed(new QTableView(m_Panel5), "DBGrid1", QRect(0, 186, 337, 363));
    m_DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    m_DBGrid1->setShowGrid(true);
    m_DBGrid1->setTabKeyNavigation(false);  // Tab leaves the grid for the record bar
    m_DBGrid1->setFont(pixelFont(QStringLiteral("Arial"), 12));
    m_DBGrid1->verticalHeader()->hide();
    m_DBGrid1->verticalHeader()->setDefaultSectionSize(18);

    QHeaderView* titles = m_DBGrid1->horizontalHeader();
    titles->setFont(pixelFont(QStringLiteral("MS Sans Serif"), 11));
    titles->setDefaultAlignment(Qt::AlignCenter);
    titles->setSectionResizeMode(QHeaderView::Interactive);
    titles->setHighlightSections(false);
}

void TFCOMM::buildRightColumn()
{
    m_Panel7 = panel(m_Client, "Panel7", QRect(337, 33, 583, 549), Bevel::None, Bevel::None);
    m_Panel8 = panel(m_Panel7, "Panel8", QRect(0, 0, 583, 33), Bevel::Lowered, Bevel::Raised);

    m_CONokN = label(m_Panel8, "CONokN", QRect(5, 4, 25, 24), QString(), font());
    m_CONokN->setPixmap(Icons::connection(false));
    m_CONok = label(m_Panel8, "CONok", QRect(5, 4, 25, 24), QString(), font());
    m_CONok->setPixmap(Icons::connection(true));
    m_CONok->hide();

    // The page-size box lies over the run of blanks.
    m_Label6 = label(m_Panel8, "Label6", QRect(194, 8, 200, 14),
                     QStringLiteral("View measurement data per                set"),
                     pixelFont(QStringLiteral("Arial"), 11));
    m_Maxrecord = edit(m_Panel8, "Maxrecord", QRect(335, 6, 41, 21), QStringLiteral("100"));
    setHint(m_Maxrecord, QStringLiteral("Range"), HintShown::No);

    m_BtSave = flatButton(m_Panel8, "BtSave", QRect(401, 6, 29, 21), QIcon(Icons::floppyDisk()));
    m_BtSave->setCursor(Qt::ArrowCursor);
    setHint(m_BtSave, QStringLiteral("Save"), HintShown::No);

    m_BtFirst = flatButton(m_Panel8, "BtFirst", QRect(429, 6, 25, 21), QIcon(Icons::firstPage()));
    m_BtFirst->setFont(pixelFont(QStringLiteral("MS Sans Serif"), 11, Bold));
    setHint(m_BtFirst, QStringLiteral("First"), HintShown::No);
    m_BTPrevious = flatButton(m_Panel8, "BTPrevious", QRect(453, 6, 25, 21), QIcon(Icons::previousPage()));
    setHint(m_BTPrevious, QStringLiteral("Previous"), HintShown::No);
    m_Bt10 = flatButton(m_Panel8, "Bt10", QRect(477, 6, 25, 21), QStringLiteral("1"));
    m_Bt10->setFont(pixelFont(QStringLiteral("MS Sans Serif"), 11));
    setColour(m_Bt10, QPalette::ButtonText, kSystemBlue);
    setHint(m_Bt10, QStringLiteral("Page No."), HintShown::No);
    m_BtNext = flatButton(m_Panel8, "BtNext", QRect(501, 6, 25, 21), QIcon(Icons::nextPage()));
    setHint(m_BtNext, QStringLiteral("Next"), HintShown::No);
    m_BTlast = flatButton(m_Panel8, "BTlast", QRect(525, 6, 25, 21), QIcon(Icons::lastPage()));
    setHint(m_BTlast, QStringLiteral("last"), HintShown::No);

    buildChartArea();
}

void TFCOMM::buildChartArea()
{
    m_Chtshow = panel(m_Panel7, "Chtshow", QRect(0, 33, 583, 516), Bevel::None, Bevel::Lowered);
    setColour(m_Chtshow, QPalette::Window, Qt::white);

    m_TbFd = flatButton(m_Chtshow, "TbFd", QRect(393, 3, 25, 25), QIcon(Icons::magnifier(Icons::Sign::Plus, kSystemBlue)),
                        QSize(25, 25));
    setHint(m_TbFd, QStringLiteral("Graphic Enlarge"), HintShown::No);
    m_TbFd->hide();
    m_TbSx = flatButton(m_Chtshow, "TbSx", QRect(393, 3, 25, 25), QIcon(Icons::magnifier(Icons::Sign::Minus, kSystemBlue)),
                        QSize(25, 25));
    setHint(m_TbSx, QStringLiteral("Graphic Restore"), HintShown::No);
    m_TbSx->hide();

    m_lbl_time = label(m_Chtshow, "lbl_time", QRect(416, 10, 153, 13), QString(), pixelFont(QStringLiteral("Arial"), 11));
    m_lbl_time->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    setColour(m_lbl_time, QPalette::WindowText, kSystemBlue);

    m_ComboBox1 = placed(new QComboBox(m_Chtshow), "ComboBox1", QRect(56, 483, 65, 21));
    m_ComboBox1->addItems({QStringLiteral("atile"), QStringLiteral("btile")});
    setColour(m_ComboBox1, QPalette::Base, QColor(192, 221, 248));
    setColour(m_ComboBox1, QPalette::Button, QColor(192, 221, 248));
    m_ComboBox1->hide();
}
