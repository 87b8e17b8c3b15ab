#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTest>
#include <QTimer>
#include <functional>

#include "stringgrid.h"

// Drives the grid the way a person does: keys go to whatever has the
// keyboard focus (the grid, or its open cell editor), clicks land on cells
// and header sections.
inline QWidget* focusTarget(StringGrid& grid)
{
    QWidget* focus = QApplication::focusWidget();
    return focus ? focus : &grid;
}

inline void pressKey(StringGrid& grid, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(focusTarget(grid), key, modifiers);
}

inline void typeText(StringGrid& grid, const QString& text)
{
    for (QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(focusTarget(grid), c.toLatin1());
            continue;
        }
        // Qt Test spells out ASCII keys only; other characters come as
        // the text of a key with no code of its own, as from a layout.
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(focusTarget(grid), &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(focusTarget(grid), &release);
    }
}

inline void clickCell(StringGrid& grid, int column, int row)
{
    const QRect cell = grid.visualRect(grid.model()->index(row - 1, column));
    QTest::mouseClick(grid.viewport(), Qt::LeftButton, Qt::NoModifier, cell.center());
}

inline void clickHeader(StringGrid& grid, int column)
{
    QHeaderView* header = grid.horizontalHeader();
    const QPoint at(
        header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

inline void turnWheel(StringGrid& grid, int steps)
{
    const QPoint at = grid.viewport()->rect().center();
    QWheelEvent wheel(at, grid.viewport()->mapToGlobal(at), QPoint(),
        QPoint(0, steps * QWheelEvent::DefaultDeltasPerStep), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
        false);
    QApplication::sendEvent(grid.viewport(), &wheel);
}

// Acts once the window is shown (inside its modal loop, for a dialog);
// gives up after five seconds.
inline void whenVisible(QWidget& window, std::function<void()> act)
{
    auto* timer = new QTimer(&window);
    auto* clock = new QElapsedTimer;
    clock->start();
    QObject::connect(timer, &QTimer::timeout, &window, [timer, clock, &window, act] {
        const bool shown = window.isVisible();
        if (!shown && clock->elapsed() < 5000)
            return;
        timer->stop();
        timer->deleteLater();
        delete clock;
        if (shown)
            act();
    });
    timer->start(5);
}
