#pragma once

#include <QLocale>
#include <QString>

// The byte a character is stored as. The grid knows no code page: the window
// hands it the one the program stores text in.
using TextByte = unsigned char (*)(QChar);

// Orders two cells of the sort column for a header click. The kind of
// comparison is picked from the first cell alone:
// - numbers, when it holds only digits, minus signs and the locale's decimal
//   and thousands separators (at most one minus sign, at most one decimal
//   separator, no thousands separator first or within two characters after
//   another one); both cells are then read with the locale's decimal
//   separator, an empty cell counting 0; when either can't be read the two
//   are equal;
// - dates, when its second or third character is a "/" between two digits;
//   both cells are then read in the locale's short date format, optionally
//   followed by a time; a cell that can't be read counts 0;
// - otherwise the texts' characters one by one, each as the byte textByte
//   gives it, in code order (case-sensitive: "B" before "a"); without
//   textByte, as their UTF-16 code units.
// Returns a negative number, zero or a positive number, like strcmp.
int compareCells(const QString& a, const QString& b, const QLocale& locale, TextByte textByte);
