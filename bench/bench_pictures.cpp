// kaldrino-bench pictures: the time from loading a picture to its being drawn
// fitted into a 1920 x 1080 screen, for two JPEG pictures made here and for
// every metafile fixture. Each JPEG line also gives the floor measured in the
// same run: libjpeg alone decoding the same file at the same DCT scale,
// reading every scanline and nothing else. Peak memory is the rise of the
// resident set over the case, from a reset high-water mark.

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
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

namespace {

constexpr int kScreenW = 1920, kScreenH = 1080, kRuns = 11;

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

// libjpeg alone: the floor under any JPEG display.
void bareDecode(const QString& path, int scaleNumerator)
{
    FILE* file = std::fopen(QFile::encodeName(path).constData(), "rb");
    jpeg_decompress_struct info {};
    jpeg_error_mgr error {};
    info.err = jpeg_std_error(&error);
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, file);
    jpeg_read_header(&info, TRUE);
    info.scale_num = JDIMENSION(scaleNumerator);
    info.scale_denom = 8;
    jpeg_start_decompress(&info);
    JSAMPARRAY row = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
        info.output_width * JDIMENSION(info.output_components), 1);
    while (info.output_scanline < info.output_height)
        jpeg_read_scanlines(&info, row, 1);
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(file);
}

// What the click-secret screen does: load, fit, centre, draw.
PicturePtr showFitted(const QString& path, QImage& screen)
{
    const PicturePtr picture = LoadPictureFile(path);
    const QSize natural = picture->naturalSize();
    const QSize shown = FitPicture(natural.width(), natural.height(), kScreenW, kScreenH);
    QPainter painter(&screen);
    picture->draw(painter, QRect(CentredPosition(shown, kScreenW, kScreenH), shown));
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

void benchJpeg(const QString& path)
{
    QImage screen(kScreenW, kScreenH, QImage::Format_RGB32);
    screen.fill(Qt::black);
    const QSize natural = JpegPicture([&] {
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }())
                              .naturalSize();
    const QSize shown = FitPicture(natural.width(), natural.height(), kScreenW, kScreenH);
    const int scale = JpegScaleNumerator(natural, shown);

    // Warm the page cache and the code, then measure memory once each.
    showFitted(path, screen);
    bareDecode(path, scale);
    const double peak = peakMegabytes([&] { showFitted(path, screen); });
    const double floorPeak = peakMegabytes([&] { bareDecode(path, scale); });

    std::vector<double> show, floor, showCpu, floorCpu, repaint;
    for (int run = 0; run < kRuns; ++run) {
        PicturePtr picture;
        show.push_back(millisecondsOf([&] { picture = showFitted(path, screen); }));
        floor.push_back(millisecondsOf([&] { bareDecode(path, scale); }));
        showCpu.push_back(cpuMillisecondsOf([&] { showFitted(path, screen); }));
        floorCpu.push_back(cpuMillisecondsOf([&] { bareDecode(path, scale); }));
        repaint.push_back(millisecondsOf([&] {
            QPainter painter(&screen);
            picture->draw(painter, QRect(CentredPosition(shown, kScreenW, kScreenH), shown));
        }));
    }
    const double ms = median(show), floorMs = median(floor);
    std::printf("jpeg_show size=%dx%d file_mb=%.1f shown=%dx%d scale=%d/8 ms=%.1f floor_ms=%.1f ratio=%.2f "
                "cpu_ratio=%.2f peak_mb=%.0f floor_peak_mb=%.0f repaint_ms=%.1f\n",
        natural.width(), natural.height(), double(QFileInfo(path).size()) / (1 << 20), shown.width(),
        shown.height(), scale, ms, floorMs, ms / floorMs, median(showCpu) / median(floorCpu), peak, floorPeak,
        median(repaint));
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
        for (int run = 0; run < kRuns; ++run)
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

int runPicturesBench()
{
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
    for (const QSize size : { QSize(6000, 4000), QSize(1600, 1200) }) {
        const QString path
            = folder.filePath(QStringLiteral("photo-%1x%2.jpg").arg(size.width()).arg(size.height()));
        writeJpeg(path, size.width(), size.height());
        benchJpeg(path);
    }
    const QDir fixtures(fixtureFolder());
    for (const QString& name :
        fixtures.entryList({ QStringLiteral("*.wmf"), QStringLiteral("*.emf") }, QDir::Files, QDir::Name))
        benchMetafile(fixtures.filePath(name));
    return 0;
}
