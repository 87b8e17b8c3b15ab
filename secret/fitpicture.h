#pragma once

#include <QPoint>
#include <QSize>

#include "kaldrinoerror.h"

// "Division par zéro en virgule flottante" (width 0) or "Opération en
// virgule flottante incorrecte" (width and height 0).
class FloatError : public KaldrinoError {
public:
    using KaldrinoError::KaldrinoError;
};

// The displayed size of a w x h picture on a screen of screenW x screenH:
// natural size when it fits; otherwise the width shrinks one pixel at a time
// and the height follows the ratio h / w, halves rounded to even.
QSize FitPicture(int w, int h, int screenW, int screenH);

// Top-left corner that centres a picture of the given size on the screen.
QPoint CentredPosition(QSize displayed, int screenW, int screenH);
