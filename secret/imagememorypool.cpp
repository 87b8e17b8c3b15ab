#include "imagememorypool.h"

#include <QMutex>
#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

// Two buffers serve a picture being replaced by the next; small images are
// not worth keeping.
constexpr size_t kKept = 2;
constexpr size_t kSmallest = 64 * 1024;

struct Buffer {
    uchar* data;
    size_t capacity;
};

QBasicMutex g_mutex; // trivially destroyed, like the pool

// Never destroyed, so that an image let go during the program's exit still
// finds it.
std::vector<Buffer>& kept()
{
    static auto* buffers = new std::vector<Buffer>;
    return *buffers;
}

void giveBack(void* info)
{
    auto* buffer = static_cast<Buffer*>(info);
    QMutexLocker lock(&g_mutex);
    auto& buffers = kept();
    if (buffers.size() == kKept) {
        // Keep the larger ones: a small one is cheap to make again.
        const auto smallest = std::min_element(buffers.begin(), buffers.end(),
            [](const Buffer& a, const Buffer& b) { return a.capacity < b.capacity; });
        if (smallest->capacity >= buffer->capacity) {
            std::free(buffer->data);
            delete buffer;
            return;
        }
        std::free(smallest->data);
        buffers.erase(smallest);
    }
    buffers.push_back(*buffer);
    delete buffer;
}

} // namespace

QImage ImageMemoryPool::take(QSize size)
{
    if (size.isEmpty())
        return QImage();
    const qsizetype bytesPerLine = qsizetype(size.width()) * 4;
    const size_t needed = size_t(bytesPerLine) * size_t(size.height());
    if (needed < kSmallest)
        return QImage(size, QImage::Format_RGB32);
    Buffer buffer { nullptr, 0 };
    {
        QMutexLocker lock(&g_mutex);
        auto& buffers = kept();
        // The smallest that is large enough, unless it is far too large.
        auto best = buffers.end();
        for (auto it = buffers.begin(); it != buffers.end(); ++it) {
            if (it->capacity >= needed && it->capacity / 2 <= needed
                && (best == buffers.end() || it->capacity < best->capacity))
                best = it;
        }
        if (best != buffers.end()) {
            buffer = *best;
            buffers.erase(best);
        }
    }
    if (!buffer.data) {
        buffer = { static_cast<uchar*>(std::malloc(needed)), needed };
        if (!buffer.data)
            return QImage();
    }
    auto* info = new Buffer(buffer);
    QImage image(
        buffer.data, size.width(), size.height(), bytesPerLine, QImage::Format_RGB32, giveBack, info);
    if (image.isNull()) {
        // Qt took no ownership.
        std::free(buffer.data);
        delete info;
    }
    return image;
}

void ImageMemoryPool::clear()
{
    QMutexLocker lock(&g_mutex);
    for (const Buffer& buffer : kept())
        std::free(buffer.data);
    kept().clear();
}
