#include "fitpicture.h"

#include <cmath>

QSize FitPicture(int w, int h, int screenW, int screenH)
{
    // The ratio is formed before anything else, as a float division would:
    // a width of 0 fails here even for a picture that fits.
    if (w == 0) {
        throw FloatError(
            h == 0 ? "Opération en virgule flottante incorrecte" : "Division par zéro en virgule flottante");
    }
    const double ratio = double(h) / double(w);
    if (w <= screenW && h <= screenH)
        return QSize(w, h);
    int width = w;
    int height;
    do {
        --width;
        // nearbyint rounds halves to even under the default rounding mode.
        height = int(std::nearbyint(width * ratio));
    } while (width > screenW || height > screenH);
    return QSize(width, height);
}

QPoint CentredPosition(QSize displayed, int screenW, int screenH)
{
    return QPoint((screenW - displayed.width()) / 2, (screenH - displayed.height()) / 2);
}
