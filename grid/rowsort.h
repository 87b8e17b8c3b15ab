#pragma once

#include <QList>
#include <QLocale>
#include <QStringList>

#include "cellcompare.h"

// Sorts rows of cells by one column with compareCells; rows equal in that
// column are ordered by the next column to the right, when there is one.
// Of two rows compared, the upper one's cell picks the kind of comparison.
// Descending is the reverse of ascending. Rows equal on both keep their
// order. A missing cell counts as empty.
void sortRows(QList<QStringList>& rows, int column, bool ascending, const QLocale& locale, TextByte textByte);
