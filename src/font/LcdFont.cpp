#include "font/LcdFont.h"

#include <QFile>
#include <QFontDatabase>
#include <QGuiApplication>

namespace {

// -1 when the face could not be registered.
int addFace(const QString& resource)
{
    QFile file(resource);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    const int id = QFontDatabase::addApplicationFontFromData(file.readAll());
    if (id >= 0 && !QFontDatabase::applicationFontFamilies(id).contains(LcdFontFamily)) {
        QFontDatabase::removeApplicationFont(id);
        return -1;
    }
    return id;
}

}  // namespace

bool registerLcdFont()
{
    static bool registered = false;
    if (registered)
        return true;
    if (!qGuiApp)
        return false;
    // Resources of a static library are only there once the library asks for them.
    Q_INIT_RESOURCE(lcdfont);
    // The labels that ask for bold get a face of their own rather than glyphs the toolkit thickens.
    const int regular = addFace(QStringLiteral(":/fonts/Tarvion-A1.ttf"));
    const int bold = addFace(QStringLiteral(":/fonts/Tarvion-A1-Bold.ttf"));
    if (regular < 0 || bold < 0) {
        for (int id : {regular, bold})
            if (id >= 0)
                QFontDatabase::removeApplicationFont(id);
        return false;
    }
    registered = true;
    return true;
}
