#pragma once

#include <QString>

// The instrument's LCD font. Its digits are seven-segment digits; "@" is the segment letter L,
// "#" the Celsius sign, "?" the Fahrenheit sign, "*" a degree mark, and "!", the double quote,
// "$", ")" and "+" the REC, HOLD, battery, diode and plus annunciators.
inline const QString LcdFontFamily = QStringLiteral("Tarvion-A1");

// Makes the font known to this process under LcdFontFamily. Needs the QGuiApplication;
// true once it is registered, and later calls do nothing more.
bool registerLcdFont();
