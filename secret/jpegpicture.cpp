#include "jpegpicture.h"

#include <QPainter>
#include <csetjmp>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include <jerror.h>
#include <jpeglib.h>

#include "areascaler.h"
#include "imagememorypool.h"
#include "picturedrawing.h"

namespace {

// libjpeg reports a fatal error by calling error_exit, which must not return.
// It longjmps back to the setjmp of the Decoder step that made the call.
// Every step is a plain function of libjpeg calls on trivially destructible
// locals, so the jump skips no C++ destructor; the Decoder itself, which
// frees libjpeg's memory, lives in the caller's frame.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

void exitOnError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

void ignoreMessage(j_common_ptr, int) { }

// Progressive and multi-scan files keep every coefficient in memory; past
// this libjpeg fails cleanly instead of exhausting the machine.
constexpr long kMaxDecoderMemory = 1L << 30;

// 32 bits per pixel in QImage::Format_RGB32 order: 24-bit colour, the fourth
// byte set to 0xff by libjpeg.
constexpr J_COLOR_SPACE kRgb32Space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRA : JCS_EXT_ARGB;

class Decoder {
public:
    Decoder()
    {
        jpeg_std_error(&m_error.pub);
        m_error.pub.error_exit = exitOnError;
        m_error.pub.emit_message = ignoreMessage; // warnings are not errors
        m_info.err = &m_error.pub;
    }
    ~Decoder()
    {
        if (m_created)
            jpeg_destroy_decompress(&m_info);
    }
    Decoder(const Decoder&) = delete;
    Decoder& operator=(const Decoder&) = delete;

    // Each step returns false after a fatal error; code() then tells which.
    bool readHeader(const unsigned char* data, unsigned long size)
    {
        if (setjmp(m_error.jump))
            return false;
        m_created = true; // destroying a half-created decoder is safe
        jpeg_create_decompress(&m_info);
        m_info.mem->max_memory_to_use = kMaxDecoderMemory;
        jpeg_mem_src(&m_info, data, size);
        jpeg_read_header(&m_info, TRUE);
        return true;
    }

    bool start(int scaleNumerator)
    {
        if (setjmp(m_error.jump))
            return false;
        SetJpegOutput(m_info, scaleNumerator);
        m_cmyk = m_info.out_color_space == JCS_CMYK;
        jpeg_start_decompress(&m_info);
        return true;
    }

    // Reads the next scanline: 4 bytes per pixel.
    bool readRow(unsigned char* into)
    {
        if (setjmp(m_error.jump))
            return false;
        JSAMPROW row = into;
        jpeg_read_scanlines(&m_info, &row, 1);
        return true;
    }

    int code() const { return m_error.pub.msg_code; }
    QSize imageSize() const { return QSize(int(m_info.image_width), int(m_info.image_height)); }
    QSize outputSize() const { return QSize(int(m_info.output_width), int(m_info.output_height)); }
    bool isCmyk() const { return m_cmyk; }
    bool adobeInverted() const { return m_info.saw_Adobe_marker; }

private:
    ErrorManager m_error {};
    jpeg_decompress_struct m_info {};
    bool m_created = false;
    bool m_cmyk = false;
};

[[noreturn]] void throwJpegError(int code)
{
    throw PictureError("Erreur JPEG #" + std::to_string(code));
}

// Turns a row of C, M, Y, K bytes into opaque RGB in place.
void cmykToRgb(uchar* row, int width, bool inverted)
{
    auto* pixel = reinterpret_cast<QRgb*>(row);
    for (int x = 0; x < width; ++x, row += 4) {
        int c = row[0], m = row[1], y = row[2], k = row[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        pixel[x] = qRgb(c * k / 255, m * k / 255, y * k / 255);
    }
}

const unsigned char* dataOf(const QByteArray& bytes)
{
    return reinterpret_cast<const unsigned char*>(bytes.constData());
}

} // namespace

JpegPicture::JpegPicture(QByteArray bytes)
    : m_bytes(std::move(bytes))
{
    Decoder decoder;
    if (!decoder.readHeader(dataOf(m_bytes), static_cast<unsigned long>(m_bytes.size())))
        throwJpegError(decoder.code());
    m_natural = decoder.imageSize();
}

QSize JpegPicture::naturalSize() const
{
    return m_natural;
}

QImage JpegPicture::render(QSize size) const
{
    Decoder decoder;
    if (!decoder.readHeader(dataOf(m_bytes), static_cast<unsigned long>(m_bytes.size())))
        throwJpegError(decoder.code());
    if (!decoder.start(JpegScaleNumerator(m_natural, size)))
        throwJpegError(decoder.code());
    const QSize out = decoder.outputSize();

    // Rows go straight into the result when the DCT scale gave its size, or
    // are shrunk as they come. Only enlarging decodes whole and scales
    // afterwards.
    const bool streamed = out != size && AreaScaler::handles(out, size);
    QImage result = ImageMemoryPool::take(out == size || streamed ? size : out);
    if (result.isNull())
        throwJpegError(JERR_OUT_OF_MEMORY);
    std::vector<uchar> buffer(streamed ? size_t(out.width()) * 4 : 0);
    std::optional<AreaScaler> scaler;
    if (streamed)
        scaler.emplace(out, result);
    for (int y = 0; y < out.height(); ++y) {
        uchar* row = streamed ? buffer.data() : result.scanLine(y);
        if (!decoder.readRow(row))
            throwJpegError(decoder.code());
        if (decoder.isCmyk())
            cmykToRgb(row, out.width(), decoder.adobeInverted());
        if (streamed)
            scaler->addRow(row);
    }
    if (result.size() != size) {
        result = ScaledImage(result, size);
        if (result.isNull())
            throwJpegError(JERR_OUT_OF_MEMORY);
    }
    return result;
}

void JpegPicture::draw(QPainter& painter, const QRect& target) const
{
    if (target.isEmpty() || m_natural.isEmpty())
        return;
    const QSize size = DeviceSize(painter, target);
    if (m_shown.size() != size) {
        m_shown = QImage(); // free the old copy before decoding the new one
        m_shown = render(size);
    }
    DrawImageInto(painter, target, m_shown);
}

void SetJpegOutput(jpeg_decompress_struct& info, int scaleNumerator)
{
    info.scale_num = JDIMENSION(scaleNumerator);
    info.scale_denom = 8;
    const bool cmyk = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = cmyk ? JCS_CMYK : kRgb32Space;
}

int JpegScaleNumerator(QSize natural, QSize target)
{
    const auto scaled = [](int length, int n) { return (qint64(length) * n + 7) / 8; };
    for (int n = 1; n < 8; ++n) {
        if (scaled(natural.width(), n) >= target.width() && scaled(natural.height(), n) >= target.height())
            return n;
    }
    return 8;
}
