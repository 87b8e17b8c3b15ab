#pragma once

#include <QPoint>
#include <QSize>
#include <QString>
#include <ostream>

// Readable failure output for the Qt values the checks compare.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QPoint& point, std::ostream* out)
{
    *out << '(' << point.x() << ", " << point.y() << ')';
}

inline void PrintTo(const QSize& size, std::ostream* out)
{
    *out << size.width() << 'x' << size.height();
}
