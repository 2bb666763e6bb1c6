#include "display/FrameDecoder.h"
#include "display/LcdPanel.h"

#include <QLabel>
#include <QTest>
#include <QWidget>

namespace {

QString digits(const LcdPanel& panel)
{
    QString shown;
    for (const char* name : {"LcdD4", "LcdD3", "LcdD2", "LcdD1"})
        shown += panel.findChild<QLabel*>(name)->text();
    return shown;
}

bool shown(const LcdPanel& panel, const char* name)
{
    return !panel.findChild<QWidget*>(name)->isHidden();
}

}  // namespace

class LcdPanelTest : public QObject {
    Q_OBJECT

private slots:
    void showsDigitsPointAndUnit()
    {
        LcdPanel panel(nullptr);
        QCOMPARE(digits(panel), QString("3999"));
        for (const char* lit : {"LCDBF", "LCDDI", "LcdAC", "LcdDc1"})
            panel.findChild<QWidget*>(lit)->show();

        panel.show(decodeFrame("A1A253", ".", 855, -50));
        QCOMPARE(digits(panel), QString(" 253"));
        QVERIFY(!shown(panel, "LcdP0"));
        QVERIFY(!shown(panel, "LcdP1"));
        QVERIFY(shown(panel, "LcdP2"));
        QVERIFY(shown(panel, "LCDC"));
        QVERIFY(!shown(panel, "LCDF"));
        for (const char* lit : {"LCDBF", "LCDDI", "LcdAC", "LcdDc1"})
            QVERIFY2(!shown(panel, lit), lit);

        // Same status again after something showed the other dots: every frame hides them.
        panel.findChild<QWidget*>("LcdP0")->show();
        panel.findChild<QWidget*>("LcdP1")->show();
        panel.show(decodeFrame("A2B0FA", ".", 855, -50));
        QCOMPARE(digits(panel), QString("-0@ "));
        QVERIFY(!shown(panel, "LcdP0"));
        QVERIFY(!shown(panel, "LcdP1"));
        QVERIFY(!shown(panel, "LcdP2"));
        QVERIFY(!shown(panel, "LCDC"));
        QVERIFY(shown(panel, "LCDF"));
    }
};

QTEST_MAIN(LcdPanelTest)
#include "LcdPanelTest.moc"
