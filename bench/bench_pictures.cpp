// kaldrino-bench pictures [--runs N] [CASE...]: the time from loading a
// picture to its being drawn, as the program shows it. Cases:
// - jpeg_show: two JPEG pictures made here, fitted into a 1920 x 1080
//   screen as the click-secret screen shows them;
// - preview_show: a 24 MP JPEG drawn into the chooser's drawing area;
// - jpeg_truncated: a few hundred bytes declaring 65000 x 65000 pixels whose
//   data ends at once, fitted into the screen;
// - metafile_show: every metafile fixture.
// Each JPEG display line gives the floor measured in the same run: libjpeg
// alone, with the program's settings, decoding the same file at the same DCT
// scale, reading every scanline and nothing else. Peak memory is the rise of
// the resident set over the case, from a reset high-water mark. Figures are
// medians of N runs (11 by default).

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include <jpeglib.h>
#include <malloc.h>

#include "benches.h"
#include "fitpicture.h"
#include "jpegpicture.h"
#include "picture.h"
#include "previewrect.h"

namespace {

constexpr int kScreenW = 1920, kScreenH = 1080;

// The chooser's drawing area: the side panel is 168 pixels wide, less its
// 6-pixel borders and the frame's 2-pixel bevel on each side; 347 high at
// the dialog's default size.
constexpr QSize kPreviewArea(152, 347);

int g_runs = 11;

// A photograph-like picture: broad colour gradients, some texture and a
// little noise, so that the entropy decoder has realistic work. Written row
// by row, never held whole.
void writeJpeg(const QString& path, int width, int height)
{
    FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!file) {
        std::perror("kaldrino-bench");
        std::exit(1);
    }
    jpeg_compress_struct info {};
    jpeg_error_mgr error {};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 90, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(size_t(width) * 3);
    unsigned int seed = 12345;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            seed = seed * 1103515245u + 12345u;
            const int noise = int((seed >> 16) % 13) - 6;
            const double u = double(x) / width, v = double(y) / height;
            const double texture = 18 * std::sin(x * 0.05 + std::sin(y * 0.013) * 4) * std::cos(y * 0.031);
            const auto clamp = [](double c) { return (unsigned char)std::clamp(int(c), 0, 255); };
            row[size_t(x) * 3] = clamp(60 + 150 * u + texture + noise);
            row[size_t(x) * 3 + 1] = clamp(90 + 110 * v * (1 - u) + texture / 2 + noise);
            row[size_t(x) * 3 + 2] = clamp(200 - 140 * v + noise);
        }
        JSAMPROW rows[] = { row.data() };
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(file);
}

// Collects what libjpeg writes, readable at any moment.
struct GrowingDestination {
    jpeg_destination_mgr pub {};
    std::vector<JOCTET> bytes = std::vector<JOCTET>(4096);

    GrowingDestination()
    {
        pub.init_destination = [](j_compress_ptr) {};
        pub.empty_output_buffer = [](j_compress_ptr info) -> boolean {
            auto* self = reinterpret_cast<GrowingDestination*>(info->dest);
            const size_t used = self->bytes.size();
            self->bytes.resize(used * 2);
            self->pub.next_output_byte = self->bytes.data() + used;
            self->pub.free_in_buffer = used;
            return TRUE;
        };
        pub.term_destination = [](j_compress_ptr) {};
        pub.next_output_byte = bytes.data();
        pub.free_in_buffer = bytes.size();
    }
    QByteArray written() const
    {
        return QByteArray(
            reinterpret_cast<const char*>(bytes.data()), qsizetype(pub.next_output_byte - bytes.data()));
    }
};

// A file declaring 65000 x 65000 pixels whose data ends after its first
// few bytes, as a copy cut short leaves it.
void writeTruncatedJpeg(const QString& path)
{
    constexpr int kSide = 65000, kRows = 16, kDataBytes = 64;
    jpeg_compress_struct info {};
    jpeg_error_mgr error {};
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    GrowingDestination destination;
    info.dest = &destination.pub;
    info.image_width = info.image_height = JDIMENSION(kSide);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(size_t(kSide) * 3);
    for (int y = 0; y < kRows; ++y) {
        for (size_t x = 0; x < row.size(); ++x)
            row[x] = (unsigned char)((x / 3 + size_t(y) * 7) % 256);
        JSAMPROW rows[] = { row.data() };
        jpeg_write_scanlines(&info, rows, 1);
    }
    // The headers and the first rows' data so far.
    const QByteArray written = destination.written();
    jpeg_abort_compress(&info);
    jpeg_destroy_compress(&info);
    const qsizetype scan = written.indexOf("\xff\xda");
    const qsizetype data = scan + 2 + (uchar(written[scan + 2]) << 8 | uchar(written[scan + 3]));
    QFile file(path);
    if (scan < 0 || data + kDataBytes > written.size() || !file.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "kaldrino-bench: cannot make %s\n", qPrintable(path));
        std::exit(1);
    }
    file.write(written.left(data + kDataBytes));
}

// libjpeg alone: the floor under any JPEG display, with the program's own
// output settings.
void bareDecode(const QString& path, int scaleNumerator)
{
    FILE* file = std::fopen(QFile::encodeName(path).constData(), "rb");
    jpeg_decompress_struct info {};
    jpeg_error_mgr error {};
    info.err = jpeg_std_error(&error);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    SetJpegOutput(info, scaleNumerator);
    jpeg_start_decompress(&info);
    JSAMPARRAY row = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
        info.output_width * JDIMENSION(info.output_components), 1);
    while (info.output_scanline < info.output_height)
        jpeg_read_scanlines(&info, row, 1);
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
}

// Where a picture lands on a canvas, given its natural size.
using Placement = std::function<QRect(QSize natural)>;

// The click-secret screen: fitted and centred on the screen.
QRect onScreen(QSize natural)
{
    const QSize shown = FitPicture(natural.width(), natural.height(), kScreenW, kScreenH);
    return QRect(CentredPosition(shown, kScreenW, kScreenH), shown);
}

// The chooser's drawing area.
QRect inPreviewArea(QSize natural)
{
    return PreviewRect(natural, kPreviewArea);
}

// What the program does with a file: load, place, draw.
PicturePtr show(const QString& path, QImage& canvas, const Placement& placement)
{
    const PicturePtr picture = LoadPictureFile(path);
    QPainter painter(&canvas);
    picture->draw(painter, placement(picture->naturalSize()));
    return picture;
}

double millisecondsOf(const std::function<void()>& work)
{
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Processor time of every thread of the process: steadier than the clock
// when other programs share the processors.
double cpuMillisecondsOf(const std::function<void()>& work)
{
    const auto now = [] {
        timespec t {};
        clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
        return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
    };
    const double start = now();
    work();
    return now() - start;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

long statusKb(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(status, line)) {
        if (line.rfind(key, 0) == 0)
            return std::stol(line.substr(key.size()));
    }
    return 0;
}

// The most the resident set rose above its level at the start of work.
double peakMegabytes(const std::function<void()>& work)
{
    std::ofstream("/proc/self/clear_refs") << "5"; // resets the high-water mark
    const long before = statusKb("VmRSS");
    work();
    return double(statusKb("VmHWM") - before) / 1024.0;
}

QSize naturalSizeOf(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return JpegPicture(file.readAll()).naturalSize();
}

// One line: the program's display of a JPEG file against the floor.
void benchJpeg(const char* line, const QString& path, QSize canvasSize, const Placement& placement)
{
    QImage canvas(canvasSize, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    const QSize natural = naturalSizeOf(path);
    const QRect target = placement(natural);
    const int scale = JpegScaleNumerator(natural, target.size());

    // Warm the page cache and the code, then measure memory once each.
    show(path, canvas, placement);
    bareDecode(path, scale);
    const double peak = peakMegabytes([&] { show(path, canvas, placement); });
    const double floorPeak = peakMegabytes([&] { bareDecode(path, scale); });

    // The two take turns at going first, so that neither always finds the
    // caches as the other left them.
    std::vector<double> shown, floor, shownCpu, floorCpu, repaint;
    for (int run = 0; run < g_runs; ++run) {
        PicturePtr picture;
        const auto showOnce
            = [&] { shown.push_back(millisecondsOf([&] { picture = show(path, canvas, placement); })); };
        const auto floorOnce = [&] { floor.push_back(millisecondsOf([&] { bareDecode(path, scale); })); };
        if (run % 2 == 0) {
            showOnce();
            floorOnce();
        } else {
            floorOnce();
            showOnce();
        }
        shownCpu.push_back(cpuMillisecondsOf([&] { show(path, canvas, placement); }));
        floorCpu.push_back(cpuMillisecondsOf([&] { bareDecode(path, scale); }));
        repaint.push_back(millisecondsOf([&] {
            QPainter painter(&canvas);
            picture->draw(painter, target);
        }));
    }
    const double ms = median(shown), floorMs = median(floor);
    std::printf("%s size=%dx%d file_mb=%.1f shown=%dx%d scale=%d/8 ms=%.1f floor_ms=%.1f ratio=%.2f "
                "cpu_ratio=%.2f peak_mb=%.0f floor_peak_mb=%.0f repaint_ms=%.2f\n",
        line, natural.width(), natural.height(), double(QFileInfo(path).size()) / (1 << 20), target.width(),
        target.height(), scale, ms, floorMs, ms / floorMs, median(shownCpu) / median(floorCpu), peak,
        floorPeak, median(repaint));
    std::fflush(stdout);
}

// A file whose data ends early: no floor, libjpeg alone would decode the
// whole declared size.
void benchTruncated(const QString& path)
{
    QImage screen(kScreenW, kScreenH, QImage::Format_RGB32);
    screen.fill(Qt::black);
    const QSize natural = naturalSizeOf(path);
    show(path, screen, onScreen);
    const double peak = peakMegabytes([&] { show(path, screen, onScreen); });
    std::vector<double> times, cpu;
    for (int run = 0; run < g_runs; ++run) {
        times.push_back(millisecondsOf([&] { show(path, screen, onScreen); }));
        cpu.push_back(cpuMillisecondsOf([&] { show(path, screen, onScreen); }));
    }
    const QRect target = onScreen(natural);
    std::printf("jpeg_truncated size=%dx%d file_bytes=%lld shown=%dx%d ms=%.1f cpu_ms=%.1f peak_mb=%.0f\n",
        natural.width(), natural.height(), static_cast<long long>(QFileInfo(path).size()), target.width(),
        target.height(), median(times), median(cpu), peak);
    std::fflush(stdout);
}

// Metafiles are drawn at the largest size of their proportions that fills
// the screen: vector pictures cost by the area they cover, and most fixtures
// are smaller than a screen.
void benchMetafile(const QString& path)
{
    QImage screen(kScreenW, kScreenH, QImage::Format_RGB32);
    screen.fill(Qt::black);
    const QByteArray name = QFileInfo(path).fileName().toUtf8();
    try {
        QSize natural, shown;
        const auto show = [&] {
            const PicturePtr picture = LoadPictureFile(path);
            natural = picture->naturalSize();
            shown = natural.scaled(kScreenW, kScreenH, Qt::KeepAspectRatio);
            QPainter painter(&screen);
            picture->draw(painter, QRect(CentredPosition(shown, kScreenW, kScreenH), shown));
        };
        show();
        std::vector<double> times;
        for (int run = 0; run < g_runs; ++run)
            times.push_back(millisecondsOf(show));
        std::printf("metafile_show name=%s size=%dx%d shown=%dx%d ms=%.1f\n", name.constData(),
            natural.width(), natural.height(), shown.width(), shown.height(), median(times));
    } catch (const std::exception& error) {
        std::printf("metafile_show name=%s error=\"%s\"\n", name.constData(), error.what());
    }
    std::fflush(stdout);
}

QString fixtureFolder()
{
    const QByteArray configured = qgetenv("KALDRINO_TEST_DATA");
    if (!configured.isEmpty())
        return QString::fromLocal8Bit(configured);
    return QFileInfo(QStringLiteral(__FILE__)).absolutePath() + QStringLiteral("/../tests/data");
}

} // namespace

int runPicturesBench(const std::vector<std::string>& arguments)
{
    std::vector<std::string> cases;
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--runs" && i + 1 < arguments.size()) {
            g_runs = std::max(1, std::atoi(arguments[++i].c_str()));
        } else if (arguments[i] == "jpeg_show" || arguments[i] == "preview_show"
            || arguments[i] == "jpeg_truncated" || arguments[i] == "metafile_show") {
            cases.push_back(arguments[i]);
        } else {
            std::fprintf(stderr,
                "usage: kaldrino-bench pictures [--runs N] "
                "[jpeg_show|preview_show|jpeg_truncated|metafile_show...]\n");
            return 2;
        }
    }
    const auto wanted = [&cases](const char* name) {
        return cases.empty() || std::find(cases.begin(), cases.end(), name) != cases.end();
    };

    // A fixed threshold keeps every large buffer in its own mapping, given
    // back when freed; glibc would otherwise raise it after the first free
    // and keep later buffers resident, hiding them from the peak.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);

    // Metafiles draw text, which needs the application's fonts.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "kaldrino-bench";
    char* argv[] = { name, nullptr };
    QGuiApplication application(argc, argv);

    QTemporaryDir folder;
    if (!folder.isValid())
        return 1;
    const auto photo = [&folder](QSize size) {
        const QString path
            = folder.filePath(QStringLiteral("photo-%1x%2.jpg").arg(size.width()).arg(size.height()));
        if (!QFileInfo::exists(path))
            writeJpeg(path, size.width(), size.height());
        return path;
    };
    if (wanted("jpeg_show")) {
        for (const QSize size : { QSize(6000, 4000), QSize(1600, 1200) })
            benchJpeg("jpeg_show", photo(size), QSize(kScreenW, kScreenH), onScreen);
    }
    if (wanted("preview_show"))
        benchJpeg("preview_show", photo(QSize(6000, 4000)), kPreviewArea, inPreviewArea);
    if (wanted("jpeg_truncated")) {
        const QString path = folder.filePath(QStringLiteral("truncated-65000.jpg"));
        writeTruncatedJpeg(path);
        benchTruncated(path);
    }
    if (wanted("metafile_show")) {
        const QDir fixtures(fixtureFolder());
        for (const QString& file :
            fixtures.entryList({ QStringLiteral("*.wmf"), QStringLiteral("*.emf") }, QDir::Files, QDir::Name))
            benchMetafile(fixtures.filePath(file));
    }
    return 0;
}
