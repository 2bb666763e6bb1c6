#include "app/TFCOMM.h"

#include "app/AboutForm.h"
#include "app/DiagnosticPanel.h"
#include "app/MainMenu.h"
#include "app/TopBar.h"
#include "base/LocaleTexts.h"
#include "base/UnkeptRows.h"
#include "chart/ChartPanel.h"
#include "base/UserMessages.h"
#include "display/DialGauge.h"
#include "display/LcdPanel.h"
#include "display/LimitSettings.h"
#include "record/MeasurementGrid.h"
#include "record/RecordBar.h"
#include "serial/SerialLink.h"
#include "session/MeasurementSession.h"
#include "widgets/BevelPanel.h"
#include "widgets/CompactCheckStyle.h"
#include "widgets/Icons.h"
#include "widgets/WidgetFactory.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScreen>
#include <QTableView>
#include <QToolButton>

using namespace WidgetFactory;

TFCOMM::TFCOMM(UserMessages& messages, std::shared_ptr<HidBackend> hidBackend, ComPortPaths comPorts,
               const QString& journalFolder)
    : QMainWindow(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                              | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint
                              | Qt::MSWindowsFixedSizeDialogHint),
      m_messages(messages)
{
    setObjectName(QStringLiteral("FCOMM"));
    setWindowIcon(Icons::applicationIcon());
    setFont(pixelFont(QStringLiteral("MS Sans Serif"), 11, Bold));
    setColour(this, QPalette::Window, palette().color(QPalette::Button));

    buildPanels();
    m_menu = new MainMenu(this);
    createComponents();
    createSession(std::move(hidBackend), std::move(comPorts), journalFolder);
    createGauge();
    connectHandlers();
    setFocusOrder();
    giveMenuShortcutsPriority();

    FormCreate();
    m_about = new TForm1(this);
}

TFCOMM::~TFCOMM()
{
    // The chart view goes before the chart data it shows; then the session gives the claimed
    // devices back and stops their readers while the panels their handlers reach still exist.
    m_chart->dropChart();
    delete m_session;
}

void TFCOMM::buildPanels()
{
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    client->setFixedSize(920, 582);
    setCentralWidget(client);
    // The window is as big as the client area and the menu bar, and the user cannot resize it.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    m_diagnostics = new DiagnosticPanel(m_messages, client);
    m_topBar = new TopBar(client);
    buildLeftColumn(client);
    m_chart = new ChartPanel(client);

    // Made after the controls, so it outlives them when the window's children are deleted.
    auto* checkStyle = new CompactCheckStyle;
    checkStyle->setParent(this);
    for (QCheckBox* box : client->findChildren<QCheckBox*>())
        box->setStyle(checkStyle);
}

void TFCOMM::buildLeftColumn(QWidget* client)
{
    BevelPanel* column = BevelPanel::create(client, "Panel5", QRect(0, 33, 337, 549), BevelPanel::Bevel::None,
                                            BevelPanel::Bevel::None);
    m_lcd = new LcdPanel(column);

    // The progress bar is never shown, but it keeps its slot, so the record bar and the
    // grid sit where the layout puts them.
    auto* progress = placed(new QProgressBar(column), "PBar2", QRect(0, 145, 337, 12));
    progress->setRange(0, 40);
    progress->setValue(1);
    progress->hide();

    m_recordBar = new RecordBar(column);
    m_grid = MeasurementGrid::create(column);

    QToolButton* print = flatButton(column, "Print", QRect(112, 495, 33, 25), QIcon(Icons::printer()));
    setHint(print, QStringLiteral("Print"), HintShown::No);
    handle(print, &QToolButton::clicked, &TFCOMM::PrintClick);
    print->hide();
}

void TFCOMM::FormCreate()
{
    // The measurement's own start (numbering, limit, ranges, the chart's value axis) is the
    // session's; what is left here belongs to the panels.
    m_diagnostics->hideAtStart();
    GaugeSettings& gauge = m_gauge->settings();
    gauge.GaugeText = "4";
    gauge.GaugeParam1 = 60;
    gauge.GaugeValue = 400;
    gauge.GaugeScaleMax = 80;
    gauge.GaugePercentMode = 0;

    if (m_diagnostics->serialProtocolTicked()) {
        m_session->serialLink().attachReceiveHandler();
        setWindowTitle(QStringLiteral("TQ-612 Interface Program Ver1.02"));
    }
    KDsetup(1);
    KDrun(gauge.GaugeValue);
}

QByteArray TFCOMM::GetDecimalText() const
{
    return LocaleTexts::decimalSeparator(QLocale::system());
}

void TFCOMM::BitBtn1Click()
{
    close();
}

void TFCOMM::AboutClick()
{
    m_about->show();
}

void TFCOMM::FormCloseQuery(bool& canClose)
{
    canClose = m_messages.askInBox(withUnkeptRows(QStringLiteral("Are you ensure to exit the program?"),
                                                  m_session->unkeptRows()),
                                   QStringLiteral("Tarvion TQ-612"), MessageChoices::YesNo, MessageTone::Warning)
               == MessageAnswer::Yes;
}

void TFCOMM::closeEvent(QCloseEvent* event)
{
    bool canClose = true;
    FormCloseQuery(canClose);
    if (canClose)
        event->accept();
    else
        event->ignore();
}

void TFCOMM::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_centred)
        return;
    m_centred = true;
    if (const QScreen* where = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(where->availableGeometry().center());
        move(frame.topLeft());
    }
}

bool TFCOMM::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        const QKeySequence pressed(static_cast<QKeyEvent*>(event)->keyCombination());
        for (const QAction* action : actions()) {
            if (action->isEnabled() && action->shortcut() == pressed) {
                // Not accepted: the key goes on to the window's short-cut.
                event->ignore();
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}
