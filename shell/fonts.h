#pragma once

#include <QFont>

// The windows' fonts by their design names, with character heights in
// pixels (8 points at 96 dpi is 11 pixels). The names are mapped to an
// installed metric-compatible family at start.
QFont dialogFont(bool bold = false); // "MS Sans Serif", 11 px
QFont arialFont(int pixelHeight, bool bold); // "Arial"
QFont tahomaFont(bool bold = false); // "Tahoma", 11 px
void installFontSubstitutions();
