#include "titlebardecision.h"

bool NeedsOwnTitleBar(QStringView platformName)
{
    // "wayland", "wayland-egl", "wayland-xcomposite-glx" and the like.
    return platformName.startsWith(u"wayland");
}
