#include "fonts.h"

namespace {

QFont pixelFont(const QString& family, int pixelHeight, bool bold)
{
    QFont font(family);
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    return font;
}

} // namespace

QFont dialogFont(bool bold)
{
    return pixelFont(QStringLiteral("MS Sans Serif"), 11, bold);
}

QFont arialFont(int pixelHeight, bool bold)
{
    return pixelFont(QStringLiteral("Arial"), pixelHeight, bold);
}

QFont tahomaFont(bool bold)
{
    return pixelFont(QStringLiteral("Tahoma"), 11, bold);
}

void installFontSubstitutions()
{
    // Liberation Sans is metric-compatible with Arial and close enough to the
    // other two that texts keep the widths the fixed layouts were made for.
    const QString installed = QStringLiteral("Liberation Sans");
    for (const char* name : { "MS Sans Serif", "Arial", "Tahoma" })
        QFont::insertSubstitution(QString::fromLatin1(name), installed);
}
