#include "DecodeFrameOntoPanel.h"
#include "IntegerText.h"
#include "LcdPanel.h"
#include "ProgramState.h"

#include <QLabel>
#include <QTest>
#include <QWidget>

namespace {

// The controls of the main window that the panel drives, as the window starts them, inside a
// sub-panel as in the real layout.
class PanelFixture {
public:
    PanelFixture()
    {
        auto* lcd = new QWidget(&window);
        lcd->setObjectName("Panel1");
        const char* captions[] = {"3", "9", "9", "9"};
        const char* digitNames[] = {"LcdD4", "LcdD3", "LcdD2", "LcdD1"};
        for (int i = 0; i < 4; ++i)
            add<QLabel>(lcd, digitNames[i], true)->setText(captions[i]);
        add<QWidget>(lcd, "LcdP0", true);
        for (const char* name : {"LcdP1", "LcdP2", "LCDC", "LCDF", "LCDBF", "LCDDI", "LcdAC", "LcdDc1"})
            add<QWidget>(lcd, name, false);
        auto* toolBar = new QWidget(&window);
        add<QWidget>(toolBar, "CONokN", true);
        add<QWidget>(toolBar, "CONok", false);
    }

    QLabel* label(const char* name) { return window.findChild<QLabel*>(name); }
    bool shown(const char* name) { return !window.findChild<QWidget*>(name)->isHidden(); }
    QString digits()
    {
        return label("LcdD4")->text() + label("LcdD3")->text() + label("LcdD2")->text() + label("LcdD1")->text();
    }

    QWidget window;

private:
    template <typename T>
    T* add(QWidget* parent, const char* name, bool shown)
    {
        auto* w = new T(parent);
        w->setObjectName(name);
        w->setVisible(shown);
        return w;
    }
};

ProgramState startState()
{
    ProgramState state;
    state.RangeMax = 855;
    state.RangeMin = -50;
    state.DecimalText = ".";
    state.IdleTicks = 7;
    state.ReadingValue = 42.5f;
    return state;
}

}  // namespace

class LcdPanelTest : public QObject {
    Q_OBJECT

private slots:
    void showsDigitsPointAndUnit()
    {
        PanelFixture f;
        LcdPanel panel(&f.window);
        ProgramState state = startState();
        for (const char* lit : {"LCDBF", "LCDDI", "LcdAC", "LcdDc1"})
            f.window.findChild<QWidget*>(lit)->show();

        state.FrameText = "A1A253";
        decodeFrameOntoPanel(state, panel, [] {});
        QCOMPARE(f.digits(), QString(" 253"));
        QVERIFY(!f.shown("LcdP0"));
        QVERIFY(!f.shown("LcdP1"));
        QVERIFY(f.shown("LcdP2"));
        QVERIFY(f.shown("LCDC"));
        QVERIFY(!f.shown("LCDF"));
        for (const char* lit : {"LCDBF", "LCDDI", "LcdAC", "LcdDc1"})
            QVERIFY2(!f.shown(lit), lit);

        // Same status again after something showed the other dots: every frame hides them.
        f.window.findChild<QWidget*>("LcdP0")->show();
        f.window.findChild<QWidget*>("LcdP1")->show();
        state.FrameText = "A2B0FA";
        decodeFrameOntoPanel(state, panel, [] {});
        QCOMPARE(f.digits(), QString("-0@ "));
        QVERIFY(!f.shown("LcdP0"));
        QVERIFY(!f.shown("LcdP1"));
        QVERIFY(!f.shown("LcdP2"));
        QVERIFY(!f.shown("LCDC"));
        QVERIFY(f.shown("LCDF"));
    }

    void connectionIndicatorBlinksOncePerFrame()
    {
        PanelFixture f;
        LcdPanel panel(&f.window);
        ProgramState state = startState();
        state.FrameText = "A00250";
        decodeFrameOntoPanel(state, panel, [] {});
        QVERIFY(f.shown("CONok"));
        QVERIFY(!f.shown("CONokN"));
        // A frame that fails to convert still blinks.
        state.FrameText = "A012C4";
        QVERIFY_THROWS_EXCEPTION(ProgramError, decodeFrameOntoPanel(state, panel, [] {}));
        QVERIFY(!f.shown("CONok"));
        QVERIFY(f.shown("CONokN"));
    }

    void readingIsSetBeforeItIsRecorded()
    {
        PanelFixture f;
        LcdPanel panel(&f.window);
        ProgramState state = startState();
        state.FrameText = "A3B123";
        QByteArray recordedText;
        float recordedValue = 0;
        int calls = 0;
        decodeFrameOntoPanel(state, panel, [&] {
            ++calls;
            recordedText = state.ReadingText + state.UnitSymbol;
            recordedValue = state.ReadingValue;
        });
        QCOMPARE(calls, 1);
        QCOMPARE(recordedText, QByteArray("-12.3?"));
        QCOMPARE(recordedValue, -12.3f);
        QCOMPARE(state.IdleTicks, 0);

        // Dashes carry no number, but the reading is still recorded with the previous value.
        state.FrameText = "A1BBBB";
        decodeFrameOntoPanel(state, panel, [&] {
            ++calls;
            recordedText = state.ReadingText + state.UnitSymbol;
            recordedValue = state.ReadingValue;
        });
        QCOMPARE(calls, 2);
        QCOMPARE(recordedText, QByteArray("----#"));
        QCOMPARE(recordedValue, -12.3f);
    }

    void digitsThatAreNoNumberShowButAreNotRecorded()
    {
        PanelFixture f;
        LcdPanel panel(&f.window);
        ProgramState state = startState();
        state.FrameText = "A212C4";
        bool recorded = false;
        try {
            decodeFrameOntoPanel(state, panel, [&] { recorded = true; });
            QFAIL("no conversion error");
        } catch (const ProgramError& e) {
            QCOMPARE(QByteArray(e.what()), QByteArray("'12C4' is not a valid integer value"));
        }
        QVERIFY(!recorded);
        QCOMPARE(f.digits(), QString("12C4"));
        QVERIFY(f.shown("LCDF"));
        QCOMPARE(state.ReadingText, QByteArray("12C4"));
        QCOMPARE(state.UnitSymbol, QByteArray("?"));
        QCOMPARE(state.IdleTicks, 0);
        QCOMPARE(state.ReadingValue, 42.5f);
    }

    void missingControlIsNamed()
    {
        PanelFixture f;
        delete f.window.findChild<QWidget*>("LCDDI");
        try {
            LcdPanel panel(&f.window);
            QFAIL("panel built without LCDDI");
        } catch (const ProgramError& e) {
            QVERIFY(QByteArray(e.what()).contains("'LCDDI'"));
        }
    }
};

QTEST_MAIN(LcdPanelTest)
#include "LcdPanelTest.moc"
