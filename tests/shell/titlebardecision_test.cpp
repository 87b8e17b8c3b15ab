#include <gtest/gtest.h>

#include <QString>

#include "titlebardecision.h"

namespace {

struct PlatformCase {
    const char16_t* platform;
    bool ownTitleBar;
};

TEST(NeedsOwnTitleBar, OnlyWaylandPlatformsGetOurs)
{
    const PlatformCase cases[] = {
        { u"wayland", true },
        { u"wayland-egl", true },
        { u"wayland-xcomposite-glx", true },
        { u"xcb", false },
        { u"offscreen", false },
        { u"windows", false },
        { u"minimal", false },
        { u"eglfs", false },
        { u"", false },
    };
    for (const PlatformCase& c : cases) {
        const QStringView platform(c.platform);
        EXPECT_EQ(NeedsOwnTitleBar(platform), c.ownTitleBar)
            << "platform \"" << platform.toString().toStdString() << '"';
    }
}

} // namespace
