#include "TFCOMM.h"

#include "AboutForm.h"
#include "BevelPanel.h"
#include "CableFramerHost.h"
#include "HidControllerClass.h"
#include "CompactCheckStyle.h"
#include "Icons.h"
#include "LocaleTexts.h"
#include "PlatformMessageBox.h"
#include "WidgetFactory.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDateTime>
#include <QKeyEvent>
#include <QLayout>
#include <QLocale>
#include <QPlainTextEdit>
#include <QScreen>
#include <QVBoxLayout>

TFCOMM::TFCOMM(QWidget* parent, std::shared_ptr<HidBackend> hidBackend)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                              | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint
                              | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName(QStringLiteral("FCOMM"));
    setWindowIcon(Icons::applicationIcon());
    setFont(WidgetFactory::pixelFont(QStringLiteral("MS Sans Serif"), 11, WidgetFactory::Bold));
    WidgetFactory::setColour(this, QPalette::Window, palette().color(QPalette::Button));

    buildWindow();
    buildMenus();
    buildComponents();
    createHidController(std::move(hidBackend));
    setFocusOrder();
    giveMenuShortcutsPriority();

    FormCreate();
    m_Form1 = new TForm1(this);
}

void TFCOMM::buildWindow()
{
    m_Client = new QWidget(this);
    m_Client->setObjectName(QStringLiteral("ClientArea"));
    m_Client->setFixedSize(920, 582);
    setCentralWidget(m_Client);
    // The window is as big as the client area and the menu bar, and the user cannot resize it.
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    buildDiagnostics();
    buildTopBar();
    buildLeftColumn();
    buildRightColumn();
    m_Panel7->raise();

    // Made after the controls, so it outlives them when the window's children are deleted.
    auto* checkStyle = new CompactCheckStyle;
    checkStyle->setParent(this);
    for (QCheckBox* box : m_Client->findChildren<QCheckBox*>())
        box->setStyle(checkStyle);
}

void TFCOMM::FormCreate()
{
    m_state.DecimalText = GetDecimalText();
    m_state.StartTime = LocaleTexts::toDayCount(QDateTime::currentDateTime());
    createChartPager();

    m_Memo1->hide();
    m_B2400->hide();
    m_B4800->hide();
    m_B9600->hide();

    m_state.GaugeText = "4";
    m_state.GaugeParam1 = 60;
    m_state.GaugeValue = 400;
    m_state.GaugeScaleMax = 80;
    createMeasurementTable();

    m_state.RecordNo = 1;
    m_state.GaugePercentMode = 0;
    m_state.RecordLimit = 10000;

    if (m_SerialProtocolBox->isChecked()) {
        // The serial component's receive handler is bound here.
        setWindowTitle(QStringLiteral("TQ-612 Interface Program Ver1.02"));
    }

    m_state.RangeMax = 855;
    m_state.RangeMin = -50;
    m_ChartPager->SetYMaximum(100.0);
    m_ChartPager->SetYMinimum(-50.0);
    // The dial gauge joins here: drawn with label set 1, its needle put at 400.
}

QByteArray TFCOMM::GetDecimalText() const
{
    return LocaleTexts::decimalSeparator(QLocale::system());
}

void TFCOMM::setChartView(QWidget* view)
{
    auto* fill = qobject_cast<QVBoxLayout*>(m_Chtshow->layout());
    if (!fill) {
        fill = new QVBoxLayout(m_Chtshow);
        const QRect inside = m_Chtshow->clientRect();
        fill->setContentsMargins(inside.left(), inside.top(), m_Chtshow->width() - inside.right() - 1,
                                 m_Chtshow->height() - inside.bottom() - 1);
    }
    fill->addWidget(view);
    view->setFocusPolicy(Qt::NoFocus);
    view->lower();
}

void TFCOMM::BitBtn1Click()
{
    close();
}

void TFCOMM::AboutClick()
{
    m_Form1->show();
}

void TFCOMM::FormCloseQuery(bool& canClose)
{
    using namespace PlatformMessageBox;
    canClose = PlatformMessageBox::show(this, QStringLiteral("Are you ensure to exit the program?"), QStringLiteral("Tarvion TQ-612"),
                    MB_YESNO | MB_ICONEXCLAMATION)
               == IDYES;
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
