#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <functional>

// Acts inside a modal loop: polls until a modal window that satisfies
// `match` is the active one, then runs `act` on it. Gives up after a while so
// that a box that never shows fails the test instead of hanging it.
inline void whenModal(std::function<bool(QWidget*)> match, std::function<void(QWidget*)> act)
{
    auto* timer = new QTimer(qApp);
    auto* clock = new QElapsedTimer;
    clock->start();
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [=] {
        QWidget* modal = QApplication::activeModalWidget();
        const bool found = modal && match(modal);
        if (!found && clock->elapsed() < 5000)
            return;
        timer->stop();
        timer->deleteLater();
        delete clock;
        if (found)
            act(modal);
    });
    timer->start();
}

template <class T> void whenModal(std::function<void(T*)> act)
{
    whenModal([](QWidget* w) { return qobject_cast<T*>(w) != nullptr; },
        [act](QWidget* w) { act(qobject_cast<T*>(w)); });
}
