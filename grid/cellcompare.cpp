#include "cellcompare.h"

#include <QDate>
#include <QTime>
#include <array>

namespace {

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

// A separator the locale gives as exactly one character, or none.
QChar singleChar(const QString& s)
{
    return s.size() == 1 ? s.front() : QChar();
}

bool looksNumeric(const QString& s, QChar decimal, QChar group)
{
    if (s.isEmpty())
        return false;
    int minusSigns = 0;
    int decimalSeparators = 0;
    qsizetype lastGroup = -3;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (isDigit(c))
            continue;
        if (c == u'-') {
            if (++minusSigns > 1)
                return false;
        } else if (!decimal.isNull() && c == decimal) {
            if (++decimalSeparators > 1)
                return false;
        } else if (!group.isNull() && c == group) {
            if (i == 0 || i - lastGroup <= 2)
                return false;
            lastGroup = i;
        } else {
            return false;
        }
    }
    return true;
}

// Reads a decimal number: optional sign, digits with at most one decimal
// separator, an optional exponent, surrounding spaces allowed. No thousands
// separators.
bool readNumber(const QString& s, QChar decimal, double& value)
{
    if (s.isEmpty()) {
        value = 0;
        return true;
    }
    const QString t = s.trimmed();
    QString plain;
    qsizetype i = 0;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-'))
        plain += t[i++];
    int digits = 0;
    for (; i < t.size() && isDigit(t[i]); ++i, ++digits)
        plain += t[i];
    if (i < t.size() && !decimal.isNull() && t[i] == decimal) {
        plain += u'.';
        for (++i; i < t.size() && isDigit(t[i]); ++i, ++digits)
            plain += t[i];
    }
    if (digits == 0)
        return false;
    if (i < t.size() && (t[i] == u'e' || t[i] == u'E')) {
        plain += u'e';
        ++i;
        if (i < t.size() && (t[i] == u'+' || t[i] == u'-'))
            plain += t[i++];
        int exponentDigits = 0;
        for (; i < t.size() && isDigit(t[i]); ++i, ++exponentDigits)
            plain += t[i];
        if (exponentDigits == 0)
            return false;
    }
    if (i != t.size())
        return false;
    bool ok = false;
    value = QLocale::c().toDouble(plain, &ok);
    return ok;
}

bool looksLikeDate(const QString& s)
{
    for (qsizetype slash : { 1, 2 }) {
        if (s.size() > slash + 1 && s[slash] == u'/' && isDigit(s[slash - 1]) && isDigit(s[slash + 1]))
            return true;
    }
    return false;
}

// Where day, month and year stand in the locale's short date format, and
// the character between them.
struct DateLayout {
    std::array<char, 3> order { 'd', 'M', 'y' };
    QChar separator = u'/';
};

DateLayout dateLayout(const QLocale& locale)
{
    DateLayout layout;
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    int found = 0;
    bool separatorSeen = false;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'') {
            quoted = !quoted;
            continue;
        }
        if (quoted)
            continue;
        const char latin = c.toLatin1();
        if (latin == 'd' || latin == 'M' || latin == 'y') {
            bool repeated = false;
            for (int k = 0; k < found; ++k)
                repeated = repeated || layout.order[k] == latin;
            if (!repeated && found < 3)
                layout.order[found++] = latin;
        } else if (found > 0 && !separatorSeen && !c.isLetter() && !c.isSpace()) {
            layout.separator = c;
            separatorSeen = true;
        }
    }
    if (found < 3)
        layout = DateLayout();
    return layout;
}

// Reads up to maxDigits digits at i; false when there are none.
bool readField(const QString& s, qsizetype& i, int maxDigits, int& value, int& digits)
{
    value = 0;
    digits = 0;
    while (i < s.size() && isDigit(s[i]) && digits < maxDigits) {
        value = value * 10 + (s[i].unicode() - u'0');
        ++digits;
        ++i;
    }
    return digits > 0;
}

// Days since 30 December 1899 plus the fraction of the day, the way the
// grid's dates have always been counted; 0 for a cell that isn't a date.
double dateValue(const QString& s, const DateLayout& layout)
{
    const QString t = s.trimmed();
    qsizetype i = 0;
    int day = 0, month = 0, year = 0, yearDigits = 0;
    for (int part = 0; part < 3; ++part) {
        if (part > 0) {
            if (i >= t.size() || t[i] != layout.separator)
                return 0;
            ++i;
        }
        int value = 0, digits = 0;
        if (!readField(t, i, layout.order[part] == 'y' ? 4 : 2, value, digits))
            return 0;
        switch (layout.order[part]) {
        case 'd':
            day = value;
            break;
        case 'M':
            month = value;
            break;
        default:
            year = value;
            yearDigits = digits;
            break;
        }
    }
    if (yearDigits <= 2)
        year += year < 50 ? 2000 : 1900;
    const QDate date(year, month, day);
    if (!date.isValid())
        return 0;

    int hour = 0, minute = 0, second = 0;
    if (i < t.size()) {
        if (!t[i].isSpace())
            return 0;
        while (i < t.size() && t[i].isSpace())
            ++i;
        int digits = 0;
        if (!readField(t, i, 2, hour, digits) || i >= t.size() || t[i] != u':')
            return 0;
        ++i;
        if (!readField(t, i, 2, minute, digits))
            return 0;
        if (i < t.size() && t[i] == u':') {
            ++i;
            if (!readField(t, i, 2, second, digits))
                return 0;
        }
        if (i != t.size() || !QTime::isValid(hour, minute, second))
            return 0;
    }
    static const qint64 epoch = QDate(1899, 12, 30).toJulianDay();
    return double(date.toJulianDay() - epoch) + (hour * 3600 + minute * 60 + second) / 86400.0;
}

int compareValues(double a, double b)
{
    return a < b ? -1 : (a > b ? 1 : 0);
}

int compareBytes(const QString& a, const QString& b, TextByte textByte)
{
    const qsizetype n = qMin(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const int d = textByte ? int(textByte(a[i])) - int(textByte(b[i]))
                               : int(a[i].unicode()) - int(b[i].unicode());
        if (d != 0)
            return d;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

} // namespace

int compareCells(const QString& a, const QString& b, const QLocale& locale, TextByte textByte)
{
    const QChar decimal = singleChar(locale.decimalPoint());
    const QChar group = singleChar(locale.groupSeparator());
    if (looksNumeric(a, decimal, group)) {
        double x = 0, y = 0;
        if (!readNumber(a, decimal, x) || !readNumber(b, decimal, y))
            return 0;
        return compareValues(x, y);
    }
    if (looksLikeDate(a)) {
        const DateLayout layout = dateLayout(locale);
        return compareValues(dateValue(a, layout), dateValue(b, layout));
    }
    return compareBytes(a, b, textByte);
}
