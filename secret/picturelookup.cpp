#include "picturelookup.h"

namespace {

// The lower-case form of a Windows-1252 letter; anything else unchanged.
char16_t foldCase(char16_t c)
{
    if (c >= u'A' && c <= u'Z')
        return static_cast<char16_t>(c + (u'a' - u'A'));
    if (c >= u'\u00C0' && c <= u'\u00DE' && c != u'\u00D7') // À to Þ, not ×
        return static_cast<char16_t>(c + 0x20);
    switch (c) {
    case u'\u0160': // Š
    case u'\u0152': // Œ
    case u'\u017D': // Ž
        return static_cast<char16_t>(c + 1);
    case u'\u0178': // Ÿ
        return u'\u00FF';
    default:
        return c;
    }
}

bool sameNameIgnoringCase(const QString& a, const QString& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (foldCase(a[i].unicode()) != foldCase(b[i].unicode()))
            return false;
    }
    return true;
}

} // namespace

QString FindPictureFile(const QString& storedName, const std::vector<FolderEntry>& entries)
{
    if (storedName.isEmpty())
        return QString();
    const FolderEntry* variant = nullptr;
    int variants = 0;
    for (const FolderEntry& entry : entries) {
        if (!entry.isFile)
            continue;
        if (entry.name == storedName)
            return entry.name;
        if (sameNameIgnoringCase(entry.name, storedName)) {
            variant = &entry;
            ++variants;
        }
    }
    return variants == 1 ? variant->name : QString();
}
