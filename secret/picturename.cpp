#include "picturename.h"

#include "cp1252.h"

namespace {

// A control character (a line break above all) would split the vault's
// line in two.
bool storableInVault(QChar c)
{
    return c.unicode() >= 0x20 && isCp1252Representable(c);
}

} // namespace

QString StorablePictureName(const QString& bareName)
{
    QString name;
    name.reserve(bareName.size());
    for (qsizetype i = 0; i < bareName.size(); ++i) {
        const QChar c = bareName.at(i);
        if (c.isHighSurrogate() && i + 1 < bareName.size() && bareName.at(i + 1).isLowSurrogate())
            ++i; // one character, one "_"
        name += storableInVault(c) ? c : QLatin1Char('_');
    }
    // The vault reads a value without the blanks around it and without
    // quotes that open and close it: such a name would not find its copy.
    if (!name.isEmpty() && name.front() == QLatin1Char(' '))
        name.front() = QLatin1Char('_');
    if (!name.isEmpty() && name.back() == QLatin1Char(' '))
        name.back() = QLatin1Char('_');
    if (name.size() >= 2 && (name.front() == QLatin1Char('"') || name.front() == QLatin1Char('\''))
        && name.back() == name.front())
        name.front() = QLatin1Char('_');
    return name;
}

QString StorablePictureFolder(const QString& folder)
{
    QString stored = folder;
    for (QChar& c : stored) {
        if (c.unicode() < 0x20)
            c = QLatin1Char('_');
    }
    return stored;
}

bool IsReservedPictureName(const QString& storedName, const QString& executableName)
{
    const QString name = storedName.toCaseFolded();
    // The vault's lock and temporary files all start with its name and a dot.
    if (name == QLatin1String("kaldrino.ini") || name.startsWith(QLatin1String("kaldrino.ini.")))
        return true;
    for (const char* own : { "kaldrino-guide.html", "kaldrino.svg", "kaldrino.desktop" }) {
        if (name == QLatin1String(own))
            return true;
    }
    return !executableName.isEmpty() && name == executableName.toCaseFolded();
}
