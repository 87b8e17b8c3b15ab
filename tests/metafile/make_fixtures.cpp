// Writes the metafile fixtures of tests/data with libUEMF, a general
// metafile writer, so that the player is tested against files it did not
// write itself. Run once after a change and commit the output:
//   make_metafile_fixtures tests/data
// The shapes, positions and colours here are the ones the tests check.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <uemf.h>
#include <uemf_utf.h>
#include <uwmf.h>

namespace {

struct Rgb {
    uint8_t r, g, b;
};
constexpr Rgb Red { 255, 0, 0 };
constexpr Rgb Green { 0, 160, 0 };
constexpr Rgb PureGreen { 0, 255, 0 };
constexpr Rgb Blue { 0, 0, 255 };
constexpr Rgb Yellow { 255, 255, 0 };
constexpr Rgb Magenta { 192, 0, 192 };
constexpr Rgb Cyan { 0, 192, 192 };
constexpr Rgb Orange { 255, 128, 0 };
constexpr Rgb DarkRed { 128, 0, 0 };
constexpr Rgb Black { 0, 0, 0 };
constexpr Rgb White { 255, 255, 255 };

U_COLORREF ref(Rgb c)
{
    return colorref3_set(c.r, c.g, c.b);
}

void check(int status, const char* what)
{
    if (status != 0) {
        std::fprintf(stderr, "make_fixtures: %s failed (%d)\n", what, status);
        std::exit(1);
    }
}

// A bitmap in DIB layout: header, colour table and bottom-up (or top-down)
// rows padded to four bytes. pixel(x, y) gives the index or colour of the
// pixel at column x, row y counted from the top.
struct Dib {
    std::vector<char> info; // BITMAPINFO: header and colour table
    std::vector<char> bits;

    PU_BITMAPINFO bmi() { return reinterpret_cast<PU_BITMAPINFO>(info.data()); }
    uint32_t cbBits() const { return static_cast<uint32_t>(bits.size()); }
    char* px() { return bits.data(); }
    std::vector<char> packed() const
    {
        std::vector<char> all = info;
        all.insert(all.end(), bits.begin(), bits.end());
        return all;
    }
};

template <typename Pixel>
Dib makeDib(int width, int height, int bitCount, const std::vector<Rgb>& table, bool topDown, Pixel pixel)
{
    Dib dib;
    const int stride = ((width * bitCount + 31) / 32) * 4;
    U_BITMAPINFOHEADER header = bitmapinfoheader_set(width, topDown ? -height : height, 1, bitCount, U_BI_RGB,
        stride * height, 3780, 3780, static_cast<uint32_t>(table.size()), 0);
    dib.info.resize(sizeof header + table.size() * 4);
    std::memcpy(dib.info.data(), &header, sizeof header);
    for (size_t i = 0; i < table.size(); ++i) {
        const U_RGBQUAD q = rgbquad_set(table[i].r, table[i].g, table[i].b, 0);
        std::memcpy(dib.info.data() + sizeof header + i * 4, &q, 4);
    }
    dib.bits.assign(static_cast<size_t>(stride) * height, 0);
    for (int row = 0; row < height; ++row) {
        const int y = topDown ? row : height - 1 - row;
        auto* out = reinterpret_cast<uint8_t*>(dib.bits.data()) + static_cast<size_t>(row) * stride;
        for (int x = 0; x < width; ++x) {
            const uint32_t v = pixel(x, y);
            switch (bitCount) {
            case 1:
                out[x / 8] |= (v & 1) << (7 - x % 8);
                break;
            case 4:
                out[x / 2] |= (v & 0xF) << ((x % 2) ? 0 : 4);
                break;
            case 8:
                out[x] = static_cast<uint8_t>(v);
                break;
            case 16:
                out[2 * x] = v & 0xFF;
                out[2 * x + 1] = (v >> 8) & 0xFF;
                break;
            case 24:
                out[3 * x] = v & 0xFF; // blue
                out[3 * x + 1] = (v >> 8) & 0xFF;
                out[3 * x + 2] = (v >> 16) & 0xFF;
                break;
            case 32:
                out[4 * x] = v & 0xFF;
                out[4 * x + 1] = (v >> 8) & 0xFF;
                out[4 * x + 2] = (v >> 16) & 0xFF;
                out[4 * x + 3] = 0xFF;
                break;
            }
        }
    }
    return dib;
}

uint32_t rgb24(Rgb c)
{
    return (uint32_t(c.r) << 16) | (uint32_t(c.g) << 8) | c.b;
}

// The quadrants every bitmap fixture shows: red, green / blue, yellow.
int quadrant(int x, int y, int width, int height)
{
    return (y >= height / 2 ? 2 : 0) + (x >= width / 2 ? 1 : 0);
}
const Rgb QuadColours[4] = { Red, PureGreen, Blue, Yellow };

Dib quadrantDib(int bitCount, int size = 2, bool topDown = false)
{
    if (bitCount == 4 || bitCount == 8) {
        // Indices 1 to 4; entry 0 is black and unused.
        std::vector<Rgb> table = { Black, Red, PureGreen, Blue, Yellow };
        if (bitCount == 4)
            table.resize(16, Black);
        return makeDib(size, size, bitCount, table, topDown,
            [&](int x, int y) { return uint32_t(quadrant(x, y, size, size) + 1); });
    }
    if (bitCount == 1) {
        // Two colours: red where the quadrants are red or yellow, blue elsewhere.
        return makeDib(size, size, 1, { Red, Blue }, topDown, [&](int x, int y) {
            const int q = quadrant(x, y, size, size);
            return uint32_t(q == 1 || q == 2 ? 1 : 0);
        });
    }
    if (bitCount == 16) {
        static const uint32_t c555[4] = { 0x7C00, 0x03E0, 0x001F, 0x7FE0 };
        return makeDib(
            size, size, 16, {}, topDown, [&](int x, int y) { return c555[quadrant(x, y, size, size)]; });
    }
    return makeDib(size, size, bitCount, {}, topDown,
        [&](int x, int y) { return rgb24(QuadColours[quadrant(x, y, size, size)]); });
}

// ---------------------------------------------------------------- EMF

// Character advances as a Windows program records them: Arial's widths in
// thousandths of the character height, for the characters the fixtures use.
std::vector<uint32_t> advances(const uint16_t* text, size_t length, int height, int weight)
{
    struct Width {
        uint16_t ch;
        int regular, bold;
    };
    static const Width widths[] = {
        { 'K', 667, 722 },
        { 'a', 556, 556 },
        { 'l', 222, 278 },
        { 'd', 556, 611 },
        { 'r', 333, 389 },
        { 'i', 222, 278 },
        { 'n', 556, 611 },
        { 'o', 556, 611 },
        { 'T', 611, 611 },
        { 'u', 556, 611 },
        { 0xE9, 556, 556 },
        { 'C', 722, 722 },
        { ' ', 278, 278 },
        { 0x20AC, 556, 556 },
    };
    std::vector<uint32_t> dx;
    for (size_t i = 0; i < length; ++i) {
        int width = 556;
        for (const Width& w : widths)
            if (w.ch == text[i])
                width = weight >= 700 ? w.bold : w.regular;
        dx.push_back(static_cast<uint32_t>((width * height + 500) / 1000));
    }
    return dx;
}

class Emf {
public:
    // A picture of width x height pixels at 96 dpi; origin: where the frame
    // starts on the reference device, in pixels.
    Emf(const std::string& path, int width, int height, int origin = 0)
    {
        check(emf_start(path.c_str(), 1 << 20, 1 << 18, &m_et), "emf_start");
        check(emf_htable_create(128, 128, &m_eht), "emf_htable_create");
        // 960 pixels on 254 mm: 96 dpi. Multiples of 48 pixels are whole
        // hundredths of a millimetre.
        const U_RECTL bounds { origin, origin, origin + width - 1, origin + height - 1 };
        const U_RECTL frame { origin * 2540 / 96, origin * 2540 / 96, (origin + width) * 2540 / 96,
            (origin + height) * 2540 / 96 };
        add(U_EMRHEADER_set(bounds, frame, nullptr, 0, nullptr, sizel_set(960, 960), sizel_set(254, 254), 0));
    }
    ~Emf()
    {
        add(U_EMREOF_set(0, nullptr, m_et));
        check(emf_finish(m_et, m_eht), "emf_finish");
        emf_free(&m_et);
        emf_htable_free(&m_eht);
    }

    void add(char* record)
    {
        check(emf_append(reinterpret_cast<PU_ENHMETARECORD>(record), m_et, 1), "emf_append");
    }

    uint32_t pen(uint32_t style, int width, Rgb colour)
    {
        uint32_t ih = 0;
        add(createpen_set(&ih, m_eht, logpen_set(style, point32_set(width, width), ref(colour))));
        add(selectobject_set(ih, m_eht));
        return ih;
    }
    uint32_t brush(uint32_t style, Rgb colour, int hatch = 0)
    {
        uint32_t ih = 0;
        add(createbrushindirect_set(&ih, m_eht, logbrush_set(style, ref(colour), hatch)));
        add(selectobject_set(ih, m_eht));
        return ih;
    }
    void stock(uint32_t object) { add(U_EMRSELECTOBJECT_set(object)); }
    void remove(uint32_t ih) { add(deleteobject_set(&ih, m_eht)); }
    uint32_t font(int height, int escapement, int weight = U_FW_NORMAL)
    {
        uint16_t* face = U_Utf8ToUtf16le("Arial", 0, nullptr);
        const U_LOGFONT lf = logfont_set(height, 0, escapement, escapement, weight, 0, 0, 0, U_ANSI_CHARSET,
            U_OUT_DEFAULT_PRECIS, U_CLIP_DEFAULT_PRECIS, U_DEFAULT_QUALITY, U_DEFAULT_PITCH | U_FF_SWISS,
            face);
        std::free(face);
        uint32_t ih = 0;
        add(extcreatefontindirectw_set(&ih, m_eht, reinterpret_cast<const char*>(&lf), nullptr));
        add(selectobject_set(ih, m_eht));
        return ih;
    }
    void rect(int l, int t, int r, int b) { add(U_EMRRECTANGLE_set(box(l, t, r, b))); }
    void textW(int x, int y, const char* utf8, int height, int weight = U_FW_NORMAL)
    {
        size_t length = 0;
        uint16_t* text = U_Utf8ToUtf16le(utf8, 0, &length);
        std::vector<uint32_t> dx = advances(text, length, height, weight);
        char* emrtext = emrtext_set(
            point32_set(x, y), static_cast<uint32_t>(length), 2, text, U_ETO_NONE, U_RCL_DEF, dx.data());
        add(U_EMREXTTEXTOUTW_set(U_RCL_DEF, U_GM_COMPATIBLE, 1, 1, reinterpret_cast<PU_EMRTEXT>(emrtext)));
        std::free(emrtext);
        std::free(text);
    }
    void textA(int x, int y, const char* cp1252, int height, int weight = U_FW_NORMAL)
    {
        const size_t length = std::strlen(cp1252);
        std::vector<uint16_t> units;
        for (size_t i = 0; i < length; ++i) {
            const auto byte = static_cast<uint8_t>(cp1252[i]);
            units.push_back(byte == 0x80 ? 0x20AC : byte);
        }
        std::vector<uint32_t> dx = advances(units.data(), length, height, weight);
        char* emrtext = emrtext_set(point32_set(x, y), static_cast<uint32_t>(length), 1,
            const_cast<char*>(cp1252), U_ETO_NONE, U_RCL_DEF, dx.data());
        add(U_EMREXTTEXTOUTA_set(U_RCL_DEF, U_GM_COMPATIBLE, 1, 1, reinterpret_cast<PU_EMRTEXT>(emrtext)));
        std::free(emrtext);
    }
    void stretchDib(Dib& dib, int x, int y, int w, int h, int srcW, int srcH)
    {
        add(U_EMRSTRETCHDIBITS_set(U_RCL_DEF, point32_set(x, y), point32_set(w, h), point32_set(0, 0),
            point32_set(srcW, srcH), U_DIB_RGB_COLORS, U_SRCCOPY, dib.bmi(), dib.cbBits(), dib.px()));
    }

    static U_RECTL box(int l, int t, int r, int b) { return U_RECTL { l, t, r, b }; }

private:
    EMFTRACK* m_et = nullptr;
    EMFHANDLES* m_eht = nullptr;
};

const U_XFORM Identity = xform_set(1, 0, 0, 1, 0, 0);

void shapesEmf(const std::string& path)
{
    Emf emf(path, 240, 144);
    emf.stock(U_NULL_PEN);
    emf.stock(U_WHITE_BRUSH);
    emf.rect(0, 0, 240, 144);
    // A red rectangle without an outline; its centre is (40, 30).
    const uint32_t red = emf.brush(U_BS_SOLID, Red);
    emf.rect(10, 10, 70, 50);
    // A blue line 4 pixels wide along y = 20, x from 90 to 150.
    emf.pen(U_PS_SOLID, 4, Blue);
    emf.add(U_EMRMOVETOEX_set(point32_set(90, 20)));
    emf.add(U_EMRLINETO_set(point32_set(150, 20)));
    // A green ellipse with a one-pixel black outline, centre (195, 35).
    emf.pen(U_PS_SOLID, 0, Black);
    emf.brush(U_BS_SOLID, Green);
    emf.add(U_EMRELLIPSE_set(Emf::box(160, 10, 230, 60)));
    // A magenta polyline, a V, 2 pixels wide, drawn with a yellow brush
    // selected: nothing inside the V may turn yellow.
    emf.pen(U_PS_SOLID, 2, Magenta);
    emf.brush(U_BS_SOLID, Yellow);
    const U_POINT16 v[] = { point16_set(10, 70), point16_set(60, 120), point16_set(110, 70) };
    emf.add(U_EMRPOLYLINE16_set(U_RCL_DEF, 3, v));
    // Black text, top left at (130, 75), 20 pixels high.
    emf.add(U_EMRSETBKMODE_set(U_TRANSPARENT));
    emf.add(U_EMRSETTEXTCOLOR_set(ref(Black)));
    emf.add(U_EMRSETTEXTALIGN_set(U_TA_TOP));
    emf.font(-20, 0);
    emf.textW(130, 75, "Kaldrino", 20);
    // A 2 x 2 bitmap stretched over (190, 104) - (230, 134).
    Dib dib = quadrantDib(24);
    emf.stretchDib(dib, 190, 104, 40, 30, 2, 2);
    emf.remove(red);
}

void dibsEmf(const std::string& path)
{
    // Ten cells of 48 x 48; each bitmap fills (4, 4) - (44, 44) of its cell.
    Emf emf(path, 240, 96);
    emf.stock(U_NULL_PEN);
    emf.stock(U_WHITE_BRUSH);
    emf.rect(0, 0, 240, 96);
    const int bits[] = { 1, 4, 8, 24, 32 };
    for (int i = 0; i < 5; ++i) {
        Dib dib = quadrantDib(bits[i]);
        emf.stretchDib(dib, 48 * i + 4, 4, 40, 40, 2, 2);
    }
    Dib topDown = quadrantDib(24, 2, true);
    emf.stretchDib(topDown, 4, 52, 40, 40, 2, 2);
    Dib big = quadrantDib(24, 40);
    emf.add(U_EMRBITBLT_set(U_RCL_DEF, point32_set(52, 52), point32_set(40, 40), point32_set(0, 0), Identity,
        ref(White), U_DIB_RGB_COLORS, U_SRCCOPY, big.bmi(), big.cbBits(), big.px()));
    emf.add(U_EMRSETDIBITSTODEVICE_set(U_RCL_DEF, point32_set(100, 52), point32_set(0, 0),
        point32_set(40, 40), U_DIB_RGB_COLORS, 0, 40, big.bmi(), big.cbBits(), big.px()));
    Dib indexed = quadrantDib(8);
    emf.add(U_EMRSTRETCHBLT_set(U_RCL_DEF, point32_set(148, 52), point32_set(40, 40), point32_set(0, 0),
        point32_set(2, 2), Identity, ref(White), U_DIB_RGB_COLORS, U_SRCCOPY, indexed.bmi(), indexed.cbBits(),
        indexed.px()));
    Dib rgb555 = quadrantDib(16);
    emf.stretchDib(rgb555, 196, 52, 40, 40, 2, 2);
}

void curvesEmf(const std::string& path)
{
    Emf emf(path, 240, 192);
    emf.stock(U_NULL_PEN);
    emf.stock(U_WHITE_BRUSH);
    emf.rect(0, 0, 240, 192);
    // An orange pie from 0 to 90 degrees counterclockwise: the upper right
    // quarter of the circle in (10, 10) - (70, 70).
    emf.brush(U_BS_SOLID, Orange);
    emf.add(U_EMRPIE_set(Emf::box(10, 10, 70, 70), point32_set(70, 40), point32_set(40, 10)));
    // A cyan chord from 90 to 270 degrees: the left half of (80, 10) - (140, 70).
    emf.brush(U_BS_SOLID, Cyan);
    emf.add(U_EMRCHORD_set(Emf::box(80, 10, 140, 70), point32_set(110, 10), point32_set(110, 70)));
    // A blue arc 3 pixels wide, the upper half of (150, 10) - (210, 70).
    emf.pen(U_PS_SOLID, 3, Blue);
    emf.add(U_EMRARC_set(Emf::box(150, 10, 210, 70), point32_set(210, 40), point32_set(150, 40)));
    emf.stock(U_NULL_PEN);
    // A magenta rounded rectangle, corners 20 x 20.
    emf.brush(U_BS_SOLID, Magenta);
    emf.add(U_EMRROUNDRECT_set(Emf::box(10, 80, 70, 130), sizel_set(20, 20)));
    // Two squares, one inside the other, as one polypolygon: a hole with
    // the alternate fill mode, filled with the winding mode.
    emf.brush(U_BS_SOLID, Green);
    const uint32_t counts[] = { 4, 4 };
    auto squares = [&](int dx) {
        const U_POINT16 pts[] = {
            point16_set(80 + dx, 80),
            point16_set(130 + dx, 80),
            point16_set(130 + dx, 130),
            point16_set(80 + dx, 130),
            point16_set(95 + dx, 95),
            point16_set(115 + dx, 95),
            point16_set(115 + dx, 115),
            point16_set(95 + dx, 115),
        };
        emf.add(U_EMRPOLYPOLYGON16_set(U_RCL_DEF, 2, counts, 8, pts));
    };
    emf.add(U_EMRSETPOLYFILLMODE_set(U_ALTERNATE));
    squares(0);
    emf.add(U_EMRSETPOLYFILLMODE_set(U_WINDING));
    squares(60);
    // A red Bezier curve, stroked only.
    emf.pen(U_PS_SOLID, 2, Red);
    const U_POINT16 curve[]
        = { point16_set(200, 80), point16_set(240, 80), point16_set(200, 130), point16_set(235, 130) };
    emf.add(U_EMRPOLYBEZIER16_set(U_RCL_DEF, 4, curve));
    emf.stock(U_NULL_PEN);
    // A blue triangle filled through a path.
    emf.brush(U_BS_SOLID, Blue);
    emf.add(U_EMRBEGINPATH_set());
    emf.add(U_EMRMOVETOEX_set(point32_set(10, 140)));
    emf.add(U_EMRLINETO_set(point32_set(60, 140)));
    emf.add(U_EMRLINETO_set(point32_set(35, 185)));
    emf.add(U_EMRCLOSEFIGURE_set());
    emf.add(U_EMRENDPATH_set());
    emf.add(U_EMRFILLPATH_set(U_RCL_DEF));
    // A dark red cross hatch on an opaque yellow background.
    emf.add(U_EMRSETBKMODE_set(U_OPAQUE));
    emf.add(U_EMRSETBKCOLOR_set(ref(Yellow)));
    emf.brush(U_BS_HATCHED, DarkRed, U_HS_CROSS);
    emf.rect(70, 140, 120, 185);
    // A one-pixel dashed black line along y = 150, gaps left transparent.
    emf.add(U_EMRSETBKMODE_set(U_TRANSPARENT));
    emf.pen(U_PS_DASH, 0, Black);
    emf.add(U_EMRMOVETOEX_set(point32_set(130, 150)));
    emf.add(U_EMRLINETO_set(point32_set(230, 150)));
    // 32-bit point records: a red line 2 pixels wide along y = 158 drawn
    // by PolylineTo and PolyBezierTo from x = 135 to 205, and an orange
    // square (185, 168) - (210, 188).
    emf.pen(U_PS_SOLID, 2, Red);
    emf.add(U_EMRMOVETOEX_set(point32_set(135, 158)));
    const U_POINTL lineTo[] = { point32_set(170, 158) };
    emf.add(U_EMRPOLYLINETO_set(U_RCL_DEF, 1, lineTo));
    const U_POINTL bezierTo[] = { point32_set(180, 158), point32_set(190, 158), point32_set(205, 158) };
    emf.add(U_EMRPOLYBEZIERTO_set(U_RCL_DEF, 3, bezierTo));
    emf.stock(U_NULL_PEN);
    emf.brush(U_BS_SOLID, Orange);
    const U_POINTL square[]
        = { point32_set(185, 168), point32_set(210, 168), point32_set(210, 188), point32_set(185, 188) };
    emf.add(U_EMRPOLYGON_set(U_RCL_DEF, 4, square));
    // Text turned a quarter counterclockwise, and ANSI text with advances.
    emf.add(U_EMRSETTEXTCOLOR_set(ref(Black)));
    emf.add(U_EMRSETTEXTALIGN_set(U_TA_BASELINE));
    emf.font(-14, 900);
    emf.textW(232, 188, "Tourné", 14);
    emf.font(-16, 0, 700);
    emf.textA(130, 180, "Cl\xe9 \x80", 16, 700);
}

void mappingEmf(const std::string& path)
{
    Emf emf(path, 240, 144);
    // Ten logical units to the pixel.
    emf.add(U_EMRSETMAPMODE_set(U_MM_ANISOTROPIC));
    emf.add(U_EMRSETWINDOWEXTEX_set(sizel_set(2400, 1440)));
    emf.add(U_EMRSETVIEWPORTEXTEX_set(sizel_set(240, 144)));
    emf.stock(U_NULL_PEN);
    emf.stock(U_WHITE_BRUSH);
    emf.rect(0, 0, 2400, 1440);
    // A blue pen 40 units (4 pixels) wide: a line along y = 20 pixels.
    emf.pen(U_PS_SOLID, 40, Blue);
    emf.add(U_EMRMOVETOEX_set(point32_set(100, 200)));
    emf.add(U_EMRLINETO_set(point32_set(1100, 200)));
    // A thin red pen selected between SaveDC and RestoreDC: the second
    // line, along y = 40 pixels, is blue and 4 pixels wide again.
    emf.add(U_EMRSAVEDC_set());
    emf.pen(U_PS_SOLID, 0, Red);
    emf.add(U_EMRRESTOREDC_set(-1));
    emf.add(U_EMRMOVETOEX_set(point32_set(100, 400)));
    emf.add(U_EMRLINETO_set(point32_set(1100, 400)));
    emf.stock(U_NULL_PEN);
    // A world transform doubling and moving: (0, 0) - (200, 200) lands on
    // pixels (120, 10) - (160, 50).
    emf.brush(U_BS_SOLID, Green);
    emf.add(U_EMRSETWORLDTRANSFORM_set(xform_set(2, 0, 0, 2, 1200, 100)));
    emf.rect(0, 0, 200, 200);
    emf.add(U_EMRMODIFYWORLDTRANSFORM_set(Identity, U_MWT_IDENTITY));
    // A red rectangle clipped to pixels (180, 10) - (220, 50).
    emf.add(U_EMRSAVEDC_set());
    emf.add(U_EMRINTERSECTCLIPRECT_set(Emf::box(1800, 100, 2200, 500)));
    emf.brush(U_BS_SOLID, Red);
    emf.rect(1700, 0, 2300, 600);
    emf.add(U_EMRRESTOREDC_set(-1));
    // A cyan square, pixels (20, 60) - (100, 140), with a hole excluded at
    // (40, 80) - (80, 120).
    emf.add(U_EMRSAVEDC_set());
    emf.add(U_EMREXCLUDECLIPRECT_set(Emf::box(400, 800, 800, 1200)));
    emf.brush(U_BS_SOLID, Cyan);
    emf.rect(200, 600, 1000, 1400);
    emf.add(U_EMRRESTOREDC_set(-1));
    // Tenths of a millimetre, y upwards from pixel (120, 140): a magenta
    // square of 10 mm (37.8 pixels) above that point.
    emf.add(U_EMRSETMAPMODE_set(U_MM_LOMETRIC));
    emf.add(U_EMRSETWINDOWORGEX_set(point32_set(0, 0)));
    emf.add(U_EMRSETVIEWPORTORGEX_set(point32_set(120, 140)));
    emf.brush(U_BS_SOLID, Magenta);
    emf.rect(0, 0, 100, 100);
}

void frameEmf(const std::string& path)
{
    // The frame starts at pixel (48, 48) of the reference device.
    Emf emf(path, 240, 144, 48);
    emf.stock(U_NULL_PEN);
    emf.brush(U_BS_SOLID, Blue);
    emf.rect(0, 0, 40, 40); // outside the frame: never shown
    emf.brush(U_BS_SOLID, Red);
    emf.rect(48, 48, 96, 96); // the frame's top left corner
    emf.brush(U_BS_SOLID, Green);
    emf.rect(240, 144, 288, 192); // its bottom right corner
}

// ---------------------------------------------------------------- WMF

class Wmf {
public:
    // placeableInch 0: a standard metafile.
    Wmf(const std::string& path, double widthInches, double heightInches, unsigned placeableInch)
    {
        check(wmf_start(path.c_str(), 1 << 20, 1 << 18, &m_wt), "wmf_start");
        check(wmf_htable_create(128, 128, &m_wht), "wmf_htable_create");
        U_PAIRF size { float(widthInches), float(heightInches) };
        check(wmf_header_append(reinterpret_cast<U_METARECORD*>(
                                    U_WMRHEADER_set(placeableInch ? &size : nullptr, placeableInch)),
                  m_wt, 1),
            "wmf_header_append");
    }
    ~Wmf()
    {
        add(U_WMREOF_set());
        check(wmf_finish(m_wt), "wmf_finish");
        wmf_free(&m_wt);
        wmf_htable_free(&m_wht);
    }

    void add(char* record)
    {
        check(wmf_append(reinterpret_cast<U_METARECORD*>(record), m_wt, 1), "wmf_append");
    }
    void addCopy(const std::vector<char>& record)
    {
        check(wmf_append(reinterpret_cast<U_METARECORD*>(const_cast<char*>(record.data())), m_wt, 0),
            "wmf_append");
    }

    uint32_t pen(uint16_t style, uint16_t width, Rgb colour)
    {
        uint32_t ih = 0;
        add(wcreatepenindirect_set(&ih, m_wht, U_PEN_set(style, width, ref(colour))));
        add(wselectobject_set(ih, m_wht));
        return ih;
    }
    uint32_t brush(uint16_t style, Rgb colour, uint16_t hatch = 0)
    {
        uint32_t ih = 0;
        add(wcreatebrushindirect_set(&ih, m_wht, U_WLOGBRUSH_set(style, ref(colour), hatch)));
        add(wselectobject_set(ih, m_wht));
        return ih;
    }
    void select(uint32_t ih) { add(wselectobject_set(ih, m_wht)); }
    void remove(uint32_t ih) { add(wdeleteobject_set(&ih, m_wht)); }
    uint32_t font(int16_t height)
    {
        U_FONT* f = U_FONT_set(height, 0, 0, 0, U_FW_NORMAL, 0, 0, 0, U_ANSI_CHARSET, U_OUT_DEFAULT_PRECIS,
            U_CLIP_DEFAULT_PRECIS, U_DEFAULT_QUALITY, U_DEFAULT_PITCH | U_FF_SWISS,
            const_cast<char*>("Arial"));
        uint32_t ih = 0;
        add(wcreatefontindirect_set(&ih, m_wht, f));
        std::free(f);
        add(wselectobject_set(ih, m_wht));
        return ih;
    }
    void rect(int l, int t, int r, int b) { add(U_WMRRECTANGLE_set(box(l, t, r, b))); }
    static U_RECT16 box(int l, int t, int r, int b)
    {
        return U_RECT16 { int16_t(l), int16_t(t), int16_t(r), int16_t(b) };
    }
    static U_POINT16 pt(int x, int y) { return point16_set(int16_t(x), int16_t(y)); }

private:
    WMFTRACK* m_wt = nullptr;
    WMFHANDLES* m_wht = nullptr;
};

// The shapes of shapes.emf, at scale logical units to the pixel.
void wmfShapes(Wmf& wmf, int scale, bool extTextOut)
{
    auto s = [scale](int v) { return v * scale; };
    wmf.add(U_WMRSETWINDOWORG_set(Wmf::pt(0, 0)));
    wmf.add(U_WMRSETWINDOWEXT_set(Wmf::pt(s(240), s(144))));
    const uint32_t nullPen = wmf.pen(U_PS_NULL, 0, Black);
    const uint32_t white = wmf.brush(U_BS_SOLID, White);
    wmf.rect(0, 0, s(240), s(144));
    const uint32_t red = wmf.brush(U_BS_SOLID, Red);
    wmf.rect(s(10), s(10), s(70), s(50));
    const uint32_t blue = wmf.pen(U_PS_SOLID, uint16_t(s(4)), Blue);
    wmf.add(U_WMRMOVETO_set(Wmf::pt(s(90), s(20))));
    wmf.add(U_WMRLINETO_set(Wmf::pt(s(150), s(20))));
    const uint32_t black = wmf.pen(U_PS_SOLID, 0, Black);
    const uint32_t green = wmf.brush(U_BS_SOLID, Green);
    wmf.add(U_WMRELLIPSE_set(Wmf::box(s(160), s(10), s(230), s(60))));
    const uint32_t magenta = wmf.pen(U_PS_SOLID, uint16_t(s(2)), Magenta);
    const uint32_t yellow = wmf.brush(U_BS_SOLID, Yellow);
    const U_POINT16 v[] = { Wmf::pt(s(10), s(70)), Wmf::pt(s(60), s(120)), Wmf::pt(s(110), s(70)) };
    wmf.add(U_WMRPOLYLINE_set(3, v));
    wmf.add(U_WMRSETBKMODE_set(U_TRANSPARENT));
    wmf.add(U_WMRSETTEXTCOLOR_set(ref(Black)));
    wmf.add(U_WMRSETTEXTALIGN_set(U_TA_TOP));
    const uint32_t font = wmf.font(int16_t(-s(20)));
    if (extTextOut) {
        const char* text = "Kaldrino";
        wmf.add(U_WMREXTTEXTOUT_set(
            Wmf::pt(s(130), s(75)), int16_t(std::strlen(text)), 0, text, nullptr, Wmf::box(0, 0, 0, 0)));
    } else {
        wmf.add(U_WMRTEXTOUT_set(Wmf::pt(s(130), s(75)), const_cast<char*>("Cl\xe9 s\xfbre")));
    }
    Dib dib = quadrantDib(24);
    wmf.add(U_WMRSTRETCHDIB_set(Wmf::pt(s(190), s(104)), Wmf::pt(s(40), s(30)), Wmf::pt(0, 0), Wmf::pt(2, 2),
        U_DIB_RGB_COLORS, U_SRCCOPY, dib.bmi(), dib.cbBits(), dib.px()));
    for (uint32_t object : { nullPen, white, red, blue, black, green, magenta, yellow, font })
        wmf.remove(object);
}

void shapesWmf(const std::string& path)
{
    Wmf wmf(path, 0, 0, 0);
    wmfShapes(wmf, 1, true);
}

void placeableWmf(const std::string& path)
{
    // Twips: 3600 x 2160 at 1440 to the inch is 240 x 144 pixels.
    Wmf wmf(path, 2.5, 1.5, 1440);
    wmfShapes(wmf, 15, false);
}

// META_SETDIBTODEV, which libUEMF does not write.
std::vector<char> setDibToDev(const Dib& dib, int x, int y, int size)
{
    const std::vector<char> packed = dib.packed();
    const int16_t params[9] = { 0 /* DIB_RGB_COLORS */, int16_t(size), 0, 0, 0, int16_t(size), int16_t(size),
        int16_t(y), int16_t(x) };
    std::vector<char> record(6 + sizeof params + packed.size() + packed.size() % 2, 0);
    const uint32_t words = static_cast<uint32_t>(record.size() / 2);
    std::memcpy(record.data(), &words, 4);
    const uint16_t function = 0x0D33;
    std::memcpy(record.data() + 4, &function, 2);
    std::memcpy(record.data() + 6, params, sizeof params);
    std::memcpy(record.data() + 6 + sizeof params, packed.data(), packed.size());
    return record;
}

void dibsWmf(const std::string& path)
{
    // Five cells of 48 x 48, each bitmap in (4, 4) - (44, 44) of its cell.
    Wmf wmf(path, 0, 0, 0);
    wmf.add(U_WMRSETWINDOWORG_set(Wmf::pt(0, 0)));
    wmf.add(U_WMRSETWINDOWEXT_set(Wmf::pt(240, 48)));
    Dib rgb = quadrantDib(24);
    wmf.add(U_WMRSTRETCHDIB_set(Wmf::pt(4, 4), Wmf::pt(40, 40), Wmf::pt(0, 0), Wmf::pt(2, 2),
        U_DIB_RGB_COLORS, U_SRCCOPY, rgb.bmi(), rgb.cbBits(), rgb.px()));
    Dib indexed = quadrantDib(8);
    wmf.add(U_WMRSTRETCHDIB_set(Wmf::pt(52, 4), Wmf::pt(40, 40), Wmf::pt(0, 0), Wmf::pt(2, 2),
        U_DIB_RGB_COLORS, U_SRCCOPY, indexed.bmi(), indexed.cbBits(), indexed.px()));
    Dib nibbles = quadrantDib(4);
    wmf.add(U_WMRDIBSTRETCHBLT_set(Wmf::pt(100, 4), Wmf::pt(40, 40), Wmf::pt(0, 0), Wmf::pt(2, 2), U_SRCCOPY,
        nibbles.bmi(), nibbles.cbBits(), nibbles.px()));
    Dib mono = quadrantDib(1, 40);
    wmf.add(U_WMRDIBBITBLT_set(
        Wmf::pt(148, 4), Wmf::pt(40, 40), Wmf::pt(0, 0), U_SRCCOPY, mono.bmi(), mono.cbBits(), mono.px()));
    wmf.addCopy(setDibToDev(quadrantDib(24, 40), 196, 4, 40));
}

// The curves of curves.emf in WMF records, whose parameters come in
// reverse order.
void curvesWmf(const std::string& path)
{
    Wmf wmf(path, 0, 0, 0);
    wmf.add(U_WMRSETWINDOWORG_set(Wmf::pt(0, 0)));
    wmf.add(U_WMRSETWINDOWEXT_set(Wmf::pt(240, 144)));
    const uint32_t nullPen = wmf.pen(U_PS_NULL, 0, Black);
    wmf.brush(U_BS_SOLID, White);
    wmf.rect(0, 0, 240, 144);
    wmf.brush(U_BS_SOLID, Orange);
    wmf.add(U_WMRPIE_set(Wmf::pt(70, 40), Wmf::pt(40, 10), Wmf::box(10, 10, 70, 70)));
    wmf.brush(U_BS_SOLID, Cyan);
    wmf.add(U_WMRCHORD_set(Wmf::pt(110, 10), Wmf::pt(110, 70), Wmf::box(80, 10, 140, 70)));
    wmf.pen(U_PS_SOLID, 3, Blue);
    wmf.add(U_WMRARC_set(Wmf::pt(210, 40), Wmf::pt(150, 40), Wmf::box(150, 10, 210, 70)));
    wmf.select(nullPen);
    wmf.brush(U_BS_SOLID, Magenta);
    wmf.add(U_WMRROUNDRECT_set(20, 20, Wmf::box(10, 80, 70, 130)));
    wmf.brush(U_BS_SOLID, Green);
    const uint16_t counts[] = { 4, 4 };
    auto squares = [&](int dx) {
        const U_POINT16 pts[] = {
            Wmf::pt(80 + dx, 80),
            Wmf::pt(130 + dx, 80),
            Wmf::pt(130 + dx, 130),
            Wmf::pt(80 + dx, 130),
            Wmf::pt(95 + dx, 95),
            Wmf::pt(115 + dx, 95),
            Wmf::pt(115 + dx, 115),
            Wmf::pt(95 + dx, 115),
        };
        wmf.add(U_WMRPOLYPOLYGON_set(2, counts, pts));
    };
    wmf.add(U_WMRSETPOLYFILLMODE_set(U_ALTERNATE));
    squares(0);
    wmf.add(U_WMRSETPOLYFILLMODE_set(U_WINDING));
    squares(60);
    wmf.brush(U_BS_SOLID, Blue);
    const U_POINT16 triangle[] = { Wmf::pt(200, 85), Wmf::pt(235, 85), Wmf::pt(217, 120) };
    wmf.add(U_WMRPOLYGON_set(3, triangle));
}

void copyFile(const std::string& from, const std::string& to)
{
    FILE* in = std::fopen(from.c_str(), "rb");
    FILE* out = std::fopen(to.c_str(), "wb");
    if (!in || !out)
        check(1, "copy");
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0)
        std::fwrite(buffer, 1, n, out);
    std::fclose(in);
    std::fclose(out);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <output folder>\n", argv[0]);
        return 2;
    }
    const std::string dir = std::string(argv[1]) + "/";
    shapesEmf(dir + "shapes.emf");
    dibsEmf(dir + "dibs.emf");
    curvesEmf(dir + "curves.emf");
    mappingEmf(dir + "mapping.emf");
    frameEmf(dir + "frame.emf");
    shapesWmf(dir + "shapes.wmf");
    placeableWmf(dir + "placeable.wmf");
    dibsWmf(dir + "dibs.wmf");
    curvesWmf(dir + "curves.wmf");
    copyFile(dir + "shapes.emf", dir + "SHAPES_UPPER.EMF");
    return 0;
}
