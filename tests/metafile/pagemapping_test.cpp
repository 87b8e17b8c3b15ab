// The page-to-device mapping of the GDI device: mapping modes, window and
// viewport, on a 96 dpi device.
#include <gtest/gtest.h>

#include <functional>

#include "metafile/pagemapping.h"

namespace {

const QSizeF Dpi96(96 / 25.4, 96 / 25.4);

struct MappingCase {
    const char* name;
    std::function<void(PageMapping&)> setUp;
    QPointF page;
    QPointF device;
};

class PageMappingTest : public ::testing::TestWithParam<MappingCase> { };

TEST_P(PageMappingTest, MapsPageToDevice)
{
    const MappingCase& c = GetParam();
    PageMapping mapping;
    c.setUp(mapping);
    const QPointF device = mapping.toDevice(Dpi96).map(c.page);
    EXPECT_NEAR(device.x(), c.device.x(), 1e-6);
    EXPECT_NEAR(device.y(), c.device.y(), 1e-6);
}

const double Mm = 96 / 25.4; // pixels in a millimetre

INSTANTIATE_TEST_SUITE_P(Modes, PageMappingTest,
    ::testing::Values(MappingCase { "TextModeMovesOrigins",
                          [](PageMapping& m) {
                              m.setWindowOrg({ 10, 20 });
                              m.setViewportOrg({ 100, 200 });
                          },
                          { 15, 30 }, { 105, 210 } },
        MappingCase { "TextModeIgnoresExtents",
            [](PageMapping& m) {
                m.setWindowExt({ 10, 10 });
                m.setViewportExt({ 500, 500 });
            },
            { 7, 9 }, { 7, 9 } },
        MappingCase { "LoMetricRunsUpwards", [](PageMapping& m) { m.setMapMode(gdi::MapLoMetric, Dpi96); },
            { 100, 100 }, { 10 * Mm, -10 * Mm } },
        MappingCase { "HiMetric", [](PageMapping& m) { m.setMapMode(gdi::MapHiMetric, Dpi96); },
            { 2540, -2540 }, { 96, 96 } },
        MappingCase { "LoEnglish", [](PageMapping& m) { m.setMapMode(gdi::MapLoEnglish, Dpi96); }, { 100, 0 },
            { 96, 0 } },
        MappingCase { "HiEnglish", [](PageMapping& m) { m.setMapMode(gdi::MapHiEnglish, Dpi96); },
            { 1000, 500 }, { 96, -48 } },
        MappingCase { "Twips",
            [](PageMapping& m) {
                m.setMapMode(gdi::MapTwips, Dpi96);
                m.setViewportOrg({ 0, 300 });
            },
            { 1440, 1440 }, { 96, 204 } },
        MappingCase { "AnisotropicStretchesEachAxis",
            [](PageMapping& m) {
                m.setMapMode(gdi::MapAnisotropic, Dpi96);
                m.setWindowOrg({ 100, 100 });
                m.setWindowExt({ 2400, 1440 });
                m.setViewportOrg({ 10, 20 });
                m.setViewportExt({ 240, 288 });
            },
            { 2500, 1540 }, { 250, 308 } },
        MappingCase { "IsotropicKeepsTheAspect",
            [](PageMapping& m) {
                m.setMapMode(gdi::MapIsotropic, Dpi96);
                m.setWindowExt({ 2400, 1440 });
                m.setViewportExt({ 240, 288 });
            },
            { 2400, 1440 }, { 240, 144 } },
        MappingCase { "IsotropicKeepsTheSigns",
            [](PageMapping& m) {
                m.setMapMode(gdi::MapIsotropic, Dpi96);
                m.setWindowExt({ 2400, 1440 });
                m.setViewportExt({ 240, -288 });
            },
            { 2400, 1440 }, { 240, -144 } },
        MappingCase { "ZeroExtentIsRefused",
            [](PageMapping& m) {
                m.setMapMode(gdi::MapAnisotropic, Dpi96);
                m.setWindowExt({ 20, 20 });
                m.setWindowExt({ 0, 40 });
                m.setViewportExt({ 10, 10 });
            },
            { 20, 20 }, { 10, 10 } },
        MappingCase { "ScaledWindowExtent",
            [](PageMapping& m) {
                m.setMapMode(gdi::MapAnisotropic, Dpi96);
                m.setWindowExt({ 100, 100 });
                m.setViewportExt({ 100, 100 });
                m.scaleWindowExt(2, 1, 1, 2);
            },
            { 200, 50 }, { 100, 100 } },
        MappingCase { "ZeroDenominatorIsRefused",
            [](PageMapping& m) {
                m.setMapMode(gdi::MapAnisotropic, Dpi96);
                m.scaleWindowExt(2, 0, 2, 0);
            },
            { 3, 4 }, { 3, 4 } },
        MappingCase { "AnisotropicStartsFromTheModeLeft",
            [](PageMapping& m) {
                m.setMapMode(gdi::MapLoMetric, Dpi96);
                m.setMapMode(gdi::MapAnisotropic, Dpi96);
            },
            { 100, 100 }, { 10 * Mm, -10 * Mm } },
        MappingCase { "UnknownModeIsRefused",
            [](PageMapping& m) {
                m.setMapMode(gdi::MapTwips, Dpi96);
                m.setMapMode(42, Dpi96);
            },
            { 1440, 0 }, { 96, 0 } }),
    [](const ::testing::TestParamInfo<MappingCase>& info) { return std::string(info.param.name); });

} // namespace
