#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QString>
#include <cstdint>
#include <variant>

// The drawing objects of a metafile's object table, as the records describe
// them. They become Qt pens, brushes and fonts only when something is drawn.

struct LogPen {
    std::uint32_t style = 0; // PS_* style, end cap, join and type bits
    double width = 0; // logical units
    bool cosmetic = true; // one pixel wide whatever the mapping
    QColor colour = Qt::black;
    QList<double> dashes; // PS_USERSTYLE lengths, logical units
};

struct LogBrush {
    std::uint32_t style = 0; // BS_SOLID, BS_NULL, BS_HATCHED, pattern
    QColor colour = Qt::white;
    std::uint32_t hatch = 0;
    QImage pattern; // BS_DIBPATTERN
};

struct LogFont {
    double height = 0; // logical units; negative: character height, positive: cell height
    double width = 0;
    double escapement = 0; // tenths of a degree, counterclockwise
    int weight = 0;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int charSet = 0;
    QString faceName;
};

// An object the player keeps a slot for but does not draw with (palette,
// region, colour space).
struct OtherObject { };

using GdiObject = std::variant<std::monostate, LogPen, LogBrush, LogFont, OtherObject>;

namespace gdi {
constexpr std::uint32_t PenSolid = 0;
constexpr std::uint32_t PenDash = 1;
constexpr std::uint32_t PenDot = 2;
constexpr std::uint32_t PenDashDot = 3;
constexpr std::uint32_t PenDashDotDot = 4;
constexpr std::uint32_t PenNull = 5;
constexpr std::uint32_t PenInsideFrame = 6;
constexpr std::uint32_t PenUserStyle = 7;
constexpr std::uint32_t PenAlternate = 8;
constexpr std::uint32_t PenStyleMask = 0x0000000F;
constexpr std::uint32_t PenEndCapMask = 0x00000F00;
constexpr std::uint32_t PenEndCapSquare = 0x00000100;
constexpr std::uint32_t PenEndCapFlat = 0x00000200;
constexpr std::uint32_t PenJoinMask = 0x0000F000;
constexpr std::uint32_t PenJoinBevel = 0x00001000;
constexpr std::uint32_t PenJoinMiter = 0x00002000;
constexpr std::uint32_t PenGeometric = 0x00010000;

constexpr std::uint32_t BrushSolid = 0;
constexpr std::uint32_t BrushNull = 1;
constexpr std::uint32_t BrushHatched = 2;
constexpr std::uint32_t BrushPattern = 3;
constexpr std::uint32_t BrushDibPattern = 5;
constexpr std::uint32_t BrushDibPatternPt = 6;
} // namespace gdi

// A COLORREF (0x00bbggrr); the high byte, a palette flag, is not kept.
QColor colourRef(std::uint32_t value);

// The stock objects (WHITE_BRUSH 0 to DC_PEN 19); an empty object for
// numbers without one.
GdiObject stockObject(std::uint32_t number);
