#pragma once

#include <QItemSelectionModel>
#include <functional>

// The one way the current cell of a StringGrid changes. Every change asks
// the guard first (which raises the row-changing notification), except the
// ones the grid makes silently after it has notified by itself. Nothing is
// ever selected: the grid has a current cell and no selection.
class GridSelectionModel : public QItemSelectionModel {
    Q_OBJECT
public:
    using Guard = std::function<bool(const QModelIndex& from, const QModelIndex& to)>;

    GridSelectionModel(QAbstractItemModel* model, QObject* parent);

    void setGuard(Guard guard) { m_guard = std::move(guard); }
    void setCurrentSilently(const QModelIndex& index);

    void setCurrentIndex(const QModelIndex& index, QItemSelectionModel::SelectionFlags command) override;

private:
    Guard m_guard;
    bool m_silent = false;
};
