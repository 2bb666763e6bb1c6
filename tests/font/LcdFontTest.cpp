#include "font/LcdFont.h"

#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QRawFont>
#include <QtTest>

namespace {

QFont lcdFont(int pixels, bool bold = false)
{
    QFont font(LcdFontFamily);
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// Where each segment of a digit cell lies, in font units before the cell leans.
struct SegmentPoint {
    char segment;
    double x, y;
};
constexpr SegmentPoint kDigitSegments[] = {
    {'a', 162, 839}, {'b', 269, 652}, {'c', 269, 218}, {'d', 162, 31},
    {'e', 55, 218},  {'f', 55, 652},  {'g', 162, 435},
};
constexpr double kLean = 0.07;

// Renders one character at the digit labels' size and reads which segments are dark.
QString litSegments(QChar character)
{
    const QFont font = lcdFont(113);
    const QFontMetrics metrics(font);
    QImage image(60, metrics.height() + 4, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(0, metrics.ascent(), QString(character));
    }
    const double scale = 113.0 / 1000.0;
    QString lit;
    for (const SegmentPoint& point : kDigitSegments) {
        const int x = int((point.x + point.y * kLean) * scale);
        const int y = metrics.ascent() - int(point.y * scale);
        if (qGray(image.pixel(x, y)) < 128)
            lit += QLatin1Char(point.segment);
    }
    return lit;
}

}  // namespace

class LcdFontTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QVERIFY(registerLcdFont());
    }

    void registersOnceUnderItsFamily()
    {
        QVERIFY(registerLcdFont());
        QCOMPARE(QFontDatabase::families().count(LcdFontFamily), 1);
        QCOMPARE(QFontInfo(lcdFont(32)).family(), LcdFontFamily);
        QCOMPARE(QFontInfo(lcdFont(20, true)).style(), QFont::StyleNormal);
        QVERIFY(QFontInfo(lcdFont(20, true)).bold());
        QCOMPARE(QFontDatabase::styles(LcdFontFamily), QStringList({"Regular", "Bold"}));
    }

    void everyCharacterHasItsOwnGlyph()
    {
        const QRawFont raw = QRawFont::fromFont(lcdFont(113));
        QVERIFY(raw.isValid());
        QCOMPARE(raw.familyName(), LcdFontFamily);
        const QString characters = QStringLiteral("0123456789@-#?*AUTODYCEFuMINXL:.!\"$)+");
        for (const QChar character : characters) {
            QVERIFY2(raw.supportsCharacter(character), qPrintable(QString(character)));
            const QList<quint32> glyph = raw.glyphIndexesForString(QString(character));
            QVERIFY2(glyph.size() == 1 && glyph.front() != 0, qPrintable(QString(character)));
            QVERIFY2(!raw.pathForGlyph(glyph.front()).isEmpty(), qPrintable(QString(character)));
        }
        QVERIFY(raw.supportsCharacter(QLatin1Char(' ')));
    }

    void digitsShareTheAdvanceOfTheirLabel()
    {
        const QFontMetrics metrics(lcdFont(113));
        const int advance = metrics.horizontalAdvance(QLatin1Char('0'));
        QVERIFY(advance >= 42 && advance <= 43);
        for (const QChar character : QStringLiteral("0123456789 -@CDE")) {
            QCOMPARE(metrics.horizontalAdvance(character), advance);
            const QRect ink = metrics.boundingRect(character);
            QVERIFY2(ink.left() >= 0 && ink.right() < 43, qPrintable(QString(character)));
        }
        QVERIFY(metrics.boundingRect(QLatin1Char('8')).height() >= 95);
    }

    // Every label that names the font shows its whole text.
    void labelTextsFitTheirLabels_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("pixels");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<QSize>("label");
        QTest::newRow("digit") << "8" << 113 << false << QSize(43, 126);
        QTest::newRow("Celsius") << "#" << 32 << false << QSize(24, 36);
        QTest::newRow("Fahrenheit") << "?" << 32 << false << QSize(23, 36);
        QTest::newRow("AUTO") << "AUTO" << 19 << true << QSize(58, 21);
        QTest::newRow("DUTY") << "DUTY" << 20 << true << QSize(57, 22);
        QTest::newRow("AC") << "AC" << 20 << true << QSize(29, 22);
        QTest::newRow("DC") << "DC" << 20 << true << QSize(30, 22);
        QTest::newRow("REC") << "!" << 32 << false << QSize(19, 36);
        QTest::newRow("HOLD") << "\"" << 35 << false << QSize(19, 39);
        QTest::newRow("battery") << "$" << 35 << false << QSize(12, 39);
        QTest::newRow("diode") << ")" << 29 << false << QSize(31, 32);
        QTest::newRow("uF") << "uF" << 12 << true << QSize(16, 14);
    }

    void labelTextsFitTheirLabels()
    {
        QFETCH(QString, text);
        QFETCH(int, pixels);
        QFETCH(bool, bold);
        QFETCH(QSize, label);
        const QFont font = lcdFont(pixels, bold);
        QVERIFY2(QFontMetrics(font).height() <= label.height(), qPrintable(QString::number(QFontMetrics(font).height())));

        // Drawn as the window's labels draw it, without their clipping: no ink may fall outside.
        const int margin = 10;
        const QRect inside(QPoint(margin, margin), label);
        QImage image(label + QSize(2 * margin, 2 * margin), QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.setFont(font);
            painter.setPen(Qt::black);
            painter.drawText(inside, Qt::AlignLeft | Qt::AlignTop, text);
        }
        int inkInside = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (qGray(image.pixel(x, y)) == 255)
                    continue;
                QVERIFY2(inside.contains(x, y), qPrintable(QStringLiteral("ink at %1,%2").arg(x - margin).arg(y - margin)));
                ++inkInside;
            }
        }
        QVERIFY(inkInside > 0);
    }

    void digitsLightTheirSegments_data()
    {
        QTest::addColumn<QChar>("character");
        QTest::addColumn<QString>("segments");
        const char* table[][2] = {{"0", "abcdef"}, {"1", "bc"},      {"2", "abdeg"}, {"3", "abcdg"},
                                  {"4", "bcfg"},   {"5", "acdfg"},   {"6", "acdefg"}, {"7", "abc"},
                                  {"8", "abcdefg"}, {"9", "abcdfg"}, {"@", "def"},    {"-", "g"},
                                  {" ", ""},       {"C", "adef"},    {"D", "bcdeg"}, {"E", "adefg"}};
        for (const auto& row : table)
            QTest::newRow(row[0]) << QChar::fromLatin1(row[0][0]) << QString::fromLatin1(row[1]);
    }

    void digitsLightTheirSegments()
    {
        QFETCH(QChar, character);
        QFETCH(QString, segments);
        QCOMPARE(litSegments(character), segments);
    }

    void panelRendersForReview()
    {
        QWidget panel;
        panel.setFixedSize(337, 200);
        panel.setStyleSheet(QStringLiteral("background: white"));
        const auto place = [&](const QString& text, int pixels, bool bold, QRect geometry) {
            auto* label = new QLabel(text, &panel);
            label->setFont(lcdFont(pixels, bold));
            label->setGeometry(geometry);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        };
        const QString digits = QStringLiteral("3999");
        for (int i = 0; i < 4; ++i)
            place(digits.mid(i, 1), 113, false, QRect(56 + 63 * i, 15, 43, 126));
        auto* point = new QLabel(&panel);
        point->setGeometry(106, 110, 7, 8);
        point->setStyleSheet(QStringLiteral("background: black"));
        place(QStringLiteral("#"), 32, false, QRect(295, 38, 24, 36));
        place(QStringLiteral("?"), 32, false, QRect(295, 80, 23, 36));
        place(QStringLiteral("AUTO"), 19, true, QRect(4, 150, 58, 21));
        place(QStringLiteral("DUTY"), 20, true, QRect(64, 150, 57, 22));
        place(QStringLiteral("!"), 32, false, QRect(124, 150, 19, 36));
        place(QStringLiteral("\""), 35, false, QRect(146, 150, 19, 39));
        place(QStringLiteral("$"), 35, false, QRect(170, 150, 12, 39));
        place(QStringLiteral(")"), 29, false, QRect(186, 150, 31, 32));
        place(QStringLiteral("uF"), 12, true, QRect(220, 150, 16, 14));
        place(QStringLiteral("MIN:*"), 14, true, QRect(240, 150, 60, 16));
        place(QStringLiteral("MAX:*"), 14, true, QRect(240, 168, 60, 16));
        place(QStringLiteral("#?"), 12, false, QRect(300, 150, 30, 14));
        QVERIFY(panel.grab().save(QDir::temp().filePath(QStringLiteral("lcdfont.png"))));
    }
};

QTEST_MAIN(LcdFontTest)
#include "LcdFontTest.moc"
