#include "metafile/gdiobjects.h"

QColor colourRef(std::uint32_t value)
{
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

GdiObject stockObject(std::uint32_t number)
{
    auto brush = [](std::uint32_t style, QColor colour) {
        LogBrush b;
        b.style = style;
        b.colour = colour;
        return GdiObject(b);
    };
    auto pen = [](std::uint32_t style, QColor colour) {
        LogPen p;
        p.style = style;
        p.colour = colour;
        return GdiObject(p);
    };
    auto font = [](const char* face, double height, int weight) {
        LogFont f;
        f.height = height;
        f.weight = weight;
        f.faceName = QString::fromLatin1(face);
        return GdiObject(f);
    };
    switch (number) {
    case 0: // WHITE_BRUSH
        return brush(gdi::BrushSolid, QColor(255, 255, 255));
    case 1: // LTGRAY_BRUSH
        return brush(gdi::BrushSolid, QColor(192, 192, 192));
    case 2: // GRAY_BRUSH
        return brush(gdi::BrushSolid, QColor(128, 128, 128));
    case 3: // DKGRAY_BRUSH
        return brush(gdi::BrushSolid, QColor(64, 64, 64));
    case 4: // BLACK_BRUSH
        return brush(gdi::BrushSolid, QColor(0, 0, 0));
    case 5: // NULL_BRUSH
        return brush(gdi::BrushNull, QColor(0, 0, 0));
    case 6: // WHITE_PEN
        return pen(gdi::PenSolid, QColor(255, 255, 255));
    case 7: // BLACK_PEN
        return pen(gdi::PenSolid, QColor(0, 0, 0));
    case 8: // NULL_PEN
        return pen(gdi::PenNull, QColor(0, 0, 0));
    case 10: // OEM_FIXED_FONT
    case 11: // ANSI_FIXED_FONT
    case 16: // SYSTEM_FIXED_FONT
        return font("Courier New", 12, 400);
    case 12: // ANSI_VAR_FONT
    case 14: // DEVICE_DEFAULT_FONT
    case 17: // DEFAULT_GUI_FONT
        return font("MS Sans Serif", 13, 400);
    case 13: // SYSTEM_FONT
        return font("System", 16, 700);
    case 15: // DEFAULT_PALETTE
        return OtherObject {};
    case 18: // DC_BRUSH: white until SetDCBrushColor, which metafiles do not record
        return brush(gdi::BrushSolid, QColor(255, 255, 255));
    case 19: // DC_PEN
        return pen(gdi::PenSolid, QColor(0, 0, 0));
    default:
        return std::monostate {};
    }
}
