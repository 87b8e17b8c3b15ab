#include "gridselectionmodel.h"

#include <utility>

GridSelectionModel::GridSelectionModel(QAbstractItemModel* model, QObject* parent)
    : QItemSelectionModel(model, parent)
{
}

void GridSelectionModel::setCurrentSilently(const QModelIndex& index)
{
    const bool wasSilent = std::exchange(m_silent, true);
    setCurrentIndex(index, NoUpdate);
    m_silent = wasSilent;
}

void GridSelectionModel::setCurrentIndex(const QModelIndex& index, QItemSelectionModel::SelectionFlags)
{
    if (!m_silent) {
        // The item views try to clear the current cell at times (a reset, a
        // removal); the grid always keeps one.
        if (!index.isValid())
            return;
        if (m_guard && !m_guard(currentIndex(), index))
            return;
    }
    QItemSelectionModel::setCurrentIndex(index, NoUpdate);
}
