#include "jpegpicture.h"

#include <QPainter>
#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
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
    bool dataEnded; // the source ran out of data; libjpeg goes on with zeros
};

void exitOnError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

// Warnings are not errors; the end of the data is noted. Data that runs
// into a marker ends the same way when the scan has no restart markers:
// nothing can then start the decoding again, and every block after it
// decodes as zeros.
void noteWarning(j_common_ptr info, int level)
{
    if (level >= 0)
        return;
    const int code = info->err->msg_code;
    const bool hitMarker = code == JWRN_HIT_MARKER && info->is_decompressor
        && reinterpret_cast<j_decompress_ptr>(info)->restart_interval == 0;
    if (code == JWRN_JPEG_EOF || hitMarker)
        reinterpret_cast<ErrorManager*>(info->err)->dataEnded = true;
}

int outputRowsPerImcuRow(const jpeg_decompress_struct& info)
{
#if JPEG_LIB_VERSION >= 70
    return info.max_v_samp_factor * info.min_DCT_v_scaled_size;
#else
    return info.max_v_samp_factor * info.min_DCT_scaled_size;
#endif
}

bool isUniform(const uchar* row, int width)
{
    const auto* pixel = reinterpret_cast<const quint32*>(row);
    return std::all_of(pixel, pixel + width, [first = pixel[0]](quint32 p) { return p == first; });
}

// 32 bits per pixel in QImage::Format_RGB32 order: 24-bit colour, the fourth
// byte set to 0xff by libjpeg.
constexpr J_COLOR_SPACE kRgb32Space = Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? JCS_EXT_BGRA : JCS_EXT_ARGB;

class Decoder {
public:
    Decoder()
    {
        jpeg_std_error(&m_error.pub);
        m_error.pub.error_exit = exitOnError;
        m_error.pub.emit_message = noteWarning;
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
        // Progressive and multi-scan files keep every coefficient in memory.
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
        // A file of one sequential scan with Huffman coding is read as its
        // rows are asked for; past the end of its data every block decodes
        // as zeros, a flat grey, also when the data ended before the scan's
        // first block.
        m_zerosAfterEnd = !m_info.progressive_mode && !m_info.arith_code && !jpeg_has_multiple_scans(&m_info);
        return true;
    }

    // Reads the next scanline: 4 bytes per pixel.
    bool readRow(unsigned char* into)
    {
        if (setjmp(m_error.jump))
            return false;
        JSAMPROW row = into;
        jpeg_read_scanlines(&m_info, &row, 1);
        if (m_error.dataEnded && m_endedAt < 0)
            m_endedAt = int(m_info.output_scanline);
        return true;
    }

    // Whether every row still to come equals row, the one just read: the
    // data has ended and the rows read since reach far enough past that
    // point. libjpeg reads an iMCU row ahead of the rows it gives, and a
    // row's colours draw on the iMCU rows beside it; from two iMCU rows after
    // the one being read when the data ended, all rows are the same grey.
    // Waiting for five, and checking that the row is flat, leaves a margin.
    bool restRepeats(const uchar* row, int width) const
    {
        if (!m_zerosAfterEnd || m_endedAt < 0)
            return false;
        const int imcu = qMax(1, outputRowsPerImcuRow(m_info));
        const qint64 safeFrom = (qint64(m_endedAt) / imcu + 5) * imcu;
        return m_info.output_scanline >= safeFrom && isUniform(row, width);
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
    bool m_zerosAfterEnd = false;
    int m_endedAt = -1; // rows given when the end of the data was noticed
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
    std::optional<AreaScaler> scaler;
    if (streamed)
        scaler.emplace(out, result);
    // The scaler may offer where to decode each row, sparing a copy.
    std::vector<uchar> buffer(streamed && !scaler->rowBuffer() ? size_t(out.width()) * 4 : 0);
    for (int y = 0; y < out.height(); ++y) {
        uchar* row = !streamed ? result.scanLine(y) : buffer.empty() ? scaler->rowBuffer() : buffer.data();
        if (!decoder.readRow(row))
            throwJpegError(decoder.code());
        if (decoder.isCmyk())
            cmykToRgb(row, out.width(), decoder.adobeInverted());
        if (decoder.restRepeats(row, out.width())) {
            // A file cut short: the rest is this row again, put in place
            // without decoding it.
            if (streamed) {
                scaler->addRemainingRows(row);
            } else {
                for (int rest = y + 1; rest < out.height(); ++rest)
                    std::memcpy(result.scanLine(rest), row, size_t(out.width()) * 4);
            }
            break;
        }
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
    info.dct_method = JDCT_ISLOW;
    info.do_fancy_upsampling = TRUE;
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
