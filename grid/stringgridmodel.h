#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QLocale>
#include <QStringList>

#include "cellcompare.h"

// The cells of a StringGrid, header row included. The view sees only the
// entry rows: its row r is the grid's row r + 1, and the header row is
// served as the horizontal header's data, so it stays in place while the
// entries scroll and is never sorted, edited or made current.
class StringGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit StringGridModel(QObject* parent = nullptr);

    int gridRowCount() const { return int(m_rows.size()); }
    void setGridRowCount(int rows); // at least 1, the header
    int gridColumnCount() const { return m_columns; }
    void setGridColumnCount(int columns); // at least 1

    QString cell(int column, int row) const;
    void setCell(int column, int row, const QString& text);

    // Grid rows index .. index + count - 1, never the header.
    void removeGridRows(int index, int count);
    void sortEntries(int column, bool ascending, const QLocale& locale, TextByte textByte);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QStringList emptyRow() const;

    int m_columns = 2; // before m_rows, which is built from it
    QList<QStringList> m_rows;
};
