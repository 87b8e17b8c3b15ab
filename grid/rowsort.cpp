#include "rowsort.h"

namespace {

class RowOrder {
public:
    RowOrder(int column, bool ascending, const QLocale& locale, TextByte textByte)
        : m_column(column)
        , m_sign(ascending ? 1 : -1)
        , m_locale(locale)
        , m_textByte(textByte)
    {
    }

    // Whether row a, the upper one in the grid, belongs below row b: the
    // comparison takes its kind from the upper row's cell.
    bool after(const QStringList& a, const QStringList& b) const
    {
        int order = compareCells(a.value(m_column), b.value(m_column), m_locale, m_textByte);
        if (order == 0 && (m_column + 1 < a.size() || m_column + 1 < b.size()))
            order = compareCells(a.value(m_column + 1), b.value(m_column + 1), m_locale, m_textByte);
        return m_sign * order > 0;
    }

private:
    int m_column;
    int m_sign;
    QLocale m_locale;
    TextByte m_textByte;
};

// A merge sort of our own: the cell comparison picks its kind from its first
// argument, so it is not a strict weak order, and the standard algorithms
// leave that undefined. Every index here stays in bounds whatever it says.
void mergeSort(
    QList<QStringList>& rows, QList<QStringList>& buffer, qsizetype from, qsizetype to, const RowOrder& order)
{
    if (to - from < 2)
        return;
    const qsizetype middle = from + (to - from) / 2;
    mergeSort(rows, buffer, from, middle, order);
    mergeSort(rows, buffer, middle, to, order);
    qsizetype left = from, right = middle, out = from;
    while (left < middle && right < to) {
        if (order.after(rows[left], rows[right]))
            buffer[out++] = std::move(rows[right++]);
        else
            buffer[out++] = std::move(rows[left++]);
    }
    while (left < middle)
        buffer[out++] = std::move(rows[left++]);
    while (right < to)
        buffer[out++] = std::move(rows[right++]);
    for (qsizetype i = from; i < to; ++i)
        rows[i] = std::move(buffer[i]);
}

} // namespace

void sortRows(QList<QStringList>& rows, int column, bool ascending, const QLocale& locale, TextByte textByte)
{
    QList<QStringList> buffer(rows.size());
    mergeSort(rows, buffer, 0, rows.size(), RowOrder(column, ascending, locale, textByte));
}
