#include "areascaler.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <numeric>

// The loops below are written for the compiler to vectorise: a fixed block
// length or four channels side by side, plain multiplies and adds. Where the
// processor has AVX2, a second copy of each uses it (32-bit multiplies in
// one instruction), chosen once when the program starts.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_ADDRESS__)
#define KALDRINO_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define KALDRINO_VECTOR_CLONES
#endif
// The loops' bodies must be compiled inside each copy, not called from it.
#if defined(__GNUC__)
#define KALDRINO_INLINE inline __attribute__((always_inline))
#else
#define KALDRINO_INLINE inline
#endif

namespace {

// The weights of a span are the source pixels' shares of it, whole numbers
// adding up to the same unit for every span of an axis. Shrinking by at most
// half, a span has at most three of them, and a unit of 2^11 rounds them
// finely enough (under a fifth of a level in all) while keeping the division
// a shift. Shrinking further, they are exact where they can be: the unit is
// then n / gcd(n, m), at most 2^11, else 2^11 again. A row's sums stay under
// 2^19 and a pixel's under 2^30.
constexpr uint32_t kLargestUnit = 1u << 11;

uint32_t unitFor(int n, int m)
{
    const auto exact = uint32_t(n / std::gcd(n, m));
    return n <= 2 * m || exact > kLargestUnit ? kLargestUnit : exact;
}

// sums[i] = row[i] * weight, or += when add, over count bytes. Blocks of a
// fixed length let the compiler vectorise without being asked for more than
// the default optimisation.
template <bool Add>
KALDRINO_INLINE void weighRow(
    uint32_t* __restrict sums, const uchar* __restrict row, size_t count, uint16_t weight)
{
    constexpr size_t kBlock = 32;
    size_t i = 0;
    for (; i + kBlock <= count; i += kBlock) {
        for (size_t j = 0; j < kBlock; ++j)
            sums[i + j] = (Add ? sums[i + j] : 0) + uint32_t(row[i + j]) * weight;
    }
    for (; i < count; ++i)
        sums[i] = (Add ? sums[i] : 0) + uint32_t(row[i]) * weight;
}

KALDRINO_VECTOR_CLONES void setRow(uint32_t* sums, const uchar* row, size_t count, uint16_t weight)
{
    weighRow<false>(sums, row, count, weight);
}

KALDRINO_VECTOR_CLONES void addToRow(uint32_t* sums, const uchar* row, size_t count, uint16_t weight)
{
    weighRow<true>(sums, row, count, weight);
}

// sums[i] = the rows' bytes i weighted, in one pass.
template <int Rows>
KALDRINO_INLINE void weighRows(
    uint32_t* __restrict sums, const uchar* const* rows, const uint16_t* weights, size_t count)
{
    const uchar* __restrict r0 = rows[0];
    const uchar* __restrict r1 = rows[Rows > 1 ? 1 : 0];
    const uchar* __restrict r2 = rows[Rows > 2 ? 2 : 0];
    const uint32_t w0 = weights[0], w1 = Rows > 1 ? weights[1] : 0, w2 = Rows > 2 ? weights[2] : 0;
    constexpr size_t kBlock = 32;
    size_t i = 0;
    for (; i + kBlock <= count; i += kBlock) {
        for (size_t j = 0; j < kBlock; ++j) {
            uint32_t sum = r0[i + j] * w0;
            if (Rows > 1)
                sum += r1[i + j] * w1;
            if (Rows > 2)
                sum += r2[i + j] * w2;
            sums[i + j] = sum;
        }
    }
    for (; i < count; ++i)
        sums[i] = r0[i] * w0 + (Rows > 1 ? r1[i] * w1 : 0) + (Rows > 2 ? r2[i] * w2 : 0);
}

KALDRINO_VECTOR_CLONES void weighTwoRows(
    uint32_t* sums, const uchar* const* rows, const uint16_t* weights, size_t count)
{
    weighRows<2>(sums, rows, weights, count);
}

KALDRINO_VECTOR_CLONES void weighThreeRows(
    uint32_t* sums, const uchar* const* rows, const uint16_t* weights, size_t count)
{
    weighRows<3>(sums, rows, weights, count);
}

// Dividing by a target pixel's area, the product of the two units, as a
// multiply and a shift: floor(x / area) for every x below 2^(8 + bits),
// the case of a pixel's sum plus half the area (Granlund and Montgomery).
struct Divider {
    uint32_t multiplier;
    int shift;

    explicit Divider(uint32_t area)
    {
        const int bits = area > 1 ? std::bit_width(area - 1) : 0; // 2^(bits-1) < area <= 2^bits
        if (std::has_single_bit(area)) {
            multiplier = 1;
            shift = bits;
        } else {
            shift = 8 + 2 * bits;
            multiplier = uint32_t((uint64_t(1) << shift) / area + 1);
        }
    }
};

// One target row from the sums of its source rows, in two passes over it:
// each target pixel's column span weighted into scratch, the four channels
// side by side; then every channel divided by the area.
template <int Taps>
KALDRINO_INLINE void finishPixels(uchar* __restrict out, uint32_t* __restrict scratch,
    const uint32_t* __restrict sums, const int* __restrict first, const uint32_t* __restrict weights,
    int pixels, int taps, uint32_t half, Divider divider)
{
    if (Taps > 0)
        taps = Taps;
    for (int x = 0; x < pixels; ++x) {
        const uint32_t* p = sums + size_t(first[x]) * 4;
        const uint32_t* w = weights + size_t(x) * size_t(taps);
        uint32_t channel[4] = { half, half, half, half };
#pragma GCC unroll 4
        for (int k = 0; k < taps; ++k) {
            for (int c = 0; c < 4; ++c)
                channel[c] += p[k * 4 + c] * w[k];
        }
        std::memcpy(scratch + size_t(x) * 4, channel, sizeof channel);
    }
    const size_t count = size_t(pixels) * 4;
    const uint64_t multiplier = divider.multiplier;
    const int shift = divider.shift;
    constexpr size_t kBlock = 32;
    size_t i = 0;
    if (multiplier == 1) {
        for (; i + kBlock <= count; i += kBlock) {
            for (size_t j = 0; j < kBlock; ++j)
                out[i + j] = uchar(scratch[i + j] >> shift);
        }
    } else {
        for (; i + kBlock <= count; i += kBlock) {
            for (size_t j = 0; j < kBlock; ++j)
                out[i + j] = uchar((scratch[i + j] * multiplier) >> shift);
        }
    }
    for (; i < count; ++i)
        out[i] = uchar((scratch[i] * multiplier) >> shift);
}

KALDRINO_VECTOR_CLONES void finishPixels1(uchar* out, uint32_t* scratch, const uint32_t* sums,
    const int* first, const uint32_t* weights, int pixels, uint32_t half, Divider divider)
{
    finishPixels<1>(out, scratch, sums, first, weights, pixels, 1, half, divider);
}

KALDRINO_VECTOR_CLONES void finishPixels2(uchar* out, uint32_t* scratch, const uint32_t* sums,
    const int* first, const uint32_t* weights, int pixels, uint32_t half, Divider divider)
{
    finishPixels<2>(out, scratch, sums, first, weights, pixels, 2, half, divider);
}

KALDRINO_VECTOR_CLONES void finishPixels3(uchar* out, uint32_t* scratch, const uint32_t* sums,
    const int* first, const uint32_t* weights, int pixels, uint32_t half, Divider divider)
{
    finishPixels<3>(out, scratch, sums, first, weights, pixels, 3, half, divider);
}

KALDRINO_VECTOR_CLONES void finishPixelsN(uchar* out, uint32_t* scratch, const uint32_t* sums,
    const int* first, const uint32_t* weights, int pixels, int taps, uint32_t half, Divider divider)
{
    finishPixels<0>(out, scratch, sums, first, weights, pixels, taps, half, divider);
}

} // namespace

bool AreaScaler::handles(QSize source, QSize target)
{
    return !target.isEmpty() && target.width() <= source.width() && target.height() <= source.height();
}

AreaScaler::AreaScaler(QSize source, QImage& target)
    : m_target(target)
    , m_source(source)
{
    Q_ASSERT(handles(source, target.size()));
    std::vector<uint16_t> columnWeights;
    m_columns = spans(source.width(), target.width(), columnWeights);
    for (const Span& column : m_columns)
        m_taps = std::max(m_taps, column.count);
    // Every column gets m_taps weights, unused ones 0, so that the loop over
    // them has one length.
    m_columnWeights.assign(m_columns.size() * size_t(m_taps), 0);
    m_columnFirst.resize(m_columns.size());
    for (size_t x = 0; x < m_columns.size(); ++x) {
        const Span& column = m_columns[x];
        std::copy_n(columnWeights.begin() + column.weight, column.count,
            m_columnWeights.begin() + ptrdiff_t(x * size_t(m_taps)));
        m_columnFirst[x] = column.first;
    }
    m_rows = spans(source.height(), target.height(), m_rowWeights);
    if (std::all_of(m_rows.begin(), m_rows.end(), [](const Span& row) { return row.count <= kKeptRows; }))
        m_kept.resize(size_t(kKeptRows) * size_t(source.width()) * 4);
    // Pixels of zeros past the end serve the unused weights of the last
    // columns.
    for (auto& sums : m_sums)
        sums.assign(size_t(source.width() + m_taps) * 4, 0);
    m_scratch.resize(size_t(target.width()) * 4);
    m_area = unitFor(source.width(), target.width()) * unitFor(source.height(), target.height());
}

// Target pixel o covers source [o * n / m, (o + 1) * n / m). Measured in
// 1/m of a source pixel every bound is a whole number.
std::vector<AreaScaler::Span> AreaScaler::spans(int n, int m, std::vector<uint16_t>& weights)
{
    const uint32_t unit = unitFor(n, m);
    std::vector<Span> result(static_cast<size_t>(m));
    for (int o = 0; o < m; ++o) {
        const qint64 start = qint64(o) * n, end = qint64(o + 1) * n;
        const int first = int(start / m), last = int((end - 1) / m);
        result[size_t(o)] = { first, last - first + 1, int(weights.size()) };
        uint32_t total = 0;
        size_t largest = weights.size();
        for (int i = first; i <= last; ++i) {
            const qint64 covered = std::min(qint64(i + 1) * m, end) - std::max(qint64(i) * m, start);
            const auto weight = uint16_t((covered * unit + n / 2) / n);
            if (i == first || weight > weights[largest])
                largest = weights.size();
            weights.push_back(weight);
            total += weight;
        }
        weights[largest] = uint16_t(weights[largest] + unit - total); // rounding leftovers
    }
    return result;
}

void AreaScaler::accumulate(int slot, const uchar* row, uint16_t weight)
{
    const size_t count = size_t(m_source.width()) * 4;
    uint32_t* sums = m_sums[slot].data();
    if (m_started[slot])
        addToRow(sums, row, count, weight);
    else
        setRow(sums, row, count, weight);
    m_started[slot] = true;
}

uchar* AreaScaler::rowBuffer()
{
    if (m_kept.empty())
        return nullptr;
    return m_kept.data() + size_t(m_sourceRow % kKeptRows) * size_t(m_source.width()) * 4;
}

void AreaScaler::addRow(const uchar* row)
{
    if (!m_kept.empty()) {
        keepRow(row);
        return;
    }
    const int y = m_sourceRow++;
    const Span& span = m_rows[size_t(m_targetRow)];
    accumulate(0, row, m_rowWeights[size_t(span.weight + y - span.first)]);
    // A source row on the border between two target rows counts in both.
    if (size_t(m_targetRow) + 1 < m_rows.size()) {
        const Span& next = m_rows[size_t(m_targetRow) + 1];
        if (y >= next.first)
            accumulate(1, row, m_rowWeights[size_t(next.weight + y - next.first)]);
    }
    if (y == span.first + span.count - 1) {
        // Every source row of this target row has come.
        finishRow();
        ++m_targetRow;
        std::swap(m_sums[0], m_sums[1]);
        m_started[0] = m_started[1];
        m_started[1] = false;
    }
}

void AreaScaler::keepRow(const uchar* row)
{
    const size_t bytes = size_t(m_source.width()) * 4;
    uchar* slot = rowBuffer();
    if (row != slot)
        std::memcpy(slot, row, bytes);
    const int y = m_sourceRow++;
    const Span& span = m_rows[size_t(m_targetRow)];
    if (y < span.first + span.count - 1)
        return;
    // Every source row of this target row has come, and is still kept.
    const uchar* rows[kKeptRows];
    for (int k = 0; k < span.count; ++k)
        rows[k] = m_kept.data() + size_t((span.first + k) % kKeptRows) * bytes;
    const uint16_t* weights = m_rowWeights.data() + span.weight;
    switch (span.count) {
    case 1:
        setRow(m_sums[0].data(), rows[0], bytes, weights[0]);
        break;
    case 2:
        weighTwoRows(m_sums[0].data(), rows, weights, bytes);
        break;
    default:
        weighThreeRows(m_sums[0].data(), rows, weights, bytes);
    }
    finishRow();
    ++m_targetRow;
}

void AreaScaler::addRemainingRows(const uchar* row)
{
    // The target rows whose spans begin at or after the first repeated row
    // are made of repeats alone, so they all come out alike: make the first
    // of them and copy it down.
    const int repeatsFrom = m_sourceRow;
    const auto alike = std::find_if(m_rows.begin() + m_targetRow, m_rows.end(),
        [repeatsFrom](const Span& span) { return span.first >= repeatsFrom; });
    const int firstAlike = int(alike - m_rows.begin());
    while (m_sourceRow < m_source.height() && m_targetRow <= firstAlike)
        addRow(row);
    const size_t bytes = size_t(m_target.width()) * 4;
    for (int y = firstAlike + 1; y < m_target.height(); ++y)
        std::memcpy(m_target.scanLine(y), m_target.constScanLine(firstAlike), bytes);
    m_sourceRow = m_source.height();
    m_targetRow = m_target.height();
}

void AreaScaler::finishRow()
{
    uchar* out = m_target.scanLine(m_targetRow);
    const uint32_t* sums = m_sums[0].data();
    const int pixels = int(m_columns.size());
    switch (m_taps) {
    case 1:
        finishPixels1(out, m_scratch.data(), sums, m_columnFirst.data(), m_columnWeights.data(), pixels,
            m_area / 2, Divider(m_area));
        break;
    case 2:
        finishPixels2(out, m_scratch.data(), sums, m_columnFirst.data(), m_columnWeights.data(), pixels,
            m_area / 2, Divider(m_area));
        break;
    case 3:
        finishPixels3(out, m_scratch.data(), sums, m_columnFirst.data(), m_columnWeights.data(), pixels,
            m_area / 2, Divider(m_area));
        break;
    default:
        finishPixelsN(out, m_scratch.data(), sums, m_columnFirst.data(), m_columnWeights.data(), pixels,
            m_taps, m_area / 2, Divider(m_area));
    }
}
