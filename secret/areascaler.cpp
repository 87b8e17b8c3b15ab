#include "areascaler.h"

#include <algorithm>
#include <cstring>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Each target pixel's weights add up to exactly this on each axis, so that a
// flat colour stays exactly that colour. A row's sums, at most 255 * 128,
// fit a signed 16-bit lane.
constexpr uint32_t kRowUnit = 1u << 7;
constexpr uint32_t kColumnUnit = 1u << 8;
constexpr int kShift = 15; // both units

// A target pixel at most twice smaller covers at most three source pixels;
// every span gets three weights, unused ones 0, so the loops have a fixed
// length.
constexpr int kTaps = 3;

// sums[i] += row[i] * weight over count bytes. Blocks of a fixed length let
// the compiler use vector instructions without being asked for more than the
// default optimisation.
void accumulate(uint16_t* __restrict sums, const uchar* __restrict row, size_t count, uint16_t weight)
{
    constexpr size_t kBlock = 32;
    size_t i = 0;
    for (; i + kBlock <= count; i += kBlock) {
        for (size_t j = 0; j < kBlock; ++j)
            sums[i + j] = uint16_t(sums[i + j] + row[i + j] * weight);
    }
    for (; i < count; ++i)
        sums[i] = uint16_t(sums[i] + row[i] * weight);
}

} // namespace

bool AreaScaler::handles(QSize source, QSize target)
{
    return !target.isEmpty() && target.width() <= source.width() && target.height() <= source.height()
        && source.width() <= 2 * target.width() && source.height() <= 2 * target.height();
}

AreaScaler::AreaScaler(QSize source, QImage& target)
    : m_target(target)
    , m_source(source)
{
    Q_ASSERT(handles(source, target.size()));
    m_columns = spans(source.width(), target.width(), kColumnUnit, m_columnWeights);
    m_rows = spans(source.height(), target.height(), kRowUnit, m_rowWeights);
    // Two pixels of zeros past the end serve the unused weights.
    for (auto& sums : m_sums)
        sums.assign(size_t(source.width() + 2) * 4, 0);
}

// Target pixel o covers source [o * n / m, (o + 1) * n / m). Measured in
// 1/m of a source pixel every bound is a whole number.
std::vector<AreaScaler::Span> AreaScaler::spans(int n, int m, uint32_t unit, std::vector<uint16_t>& weights)
{
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
        weights.resize(size_t(result[size_t(o)].weight) + kTaps, 0);
    }
    return result;
}

void AreaScaler::addRow(const uchar* row)
{
    const int y = m_sourceRow++;
    const size_t count = size_t(m_source.width()) * 4;
    const Span* span = &m_rows[size_t(m_targetRow)];
    if (y >= span->first + span->count) {
        // Every source row of the current target row has come.
        finishRow(m_targetRow++);
        std::swap(m_sums[0], m_sums[1]);
        std::fill(m_sums[1].begin(), m_sums[1].end(), 0);
        span = &m_rows[size_t(m_targetRow)];
    }
    accumulate(m_sums[0].data(), row, count, m_rowWeights[size_t(span->weight + y - span->first)]);
    // A source row on the border between two target rows counts in both.
    if (size_t(m_targetRow) + 1 < m_rows.size()) {
        const Span& next = m_rows[size_t(m_targetRow) + 1];
        if (y >= next.first)
            accumulate(m_sums[1].data(), row, count, m_rowWeights[size_t(next.weight + y - next.first)]);
    }
    if (y == m_source.height() - 1)
        finishRow(m_targetRow);
}

void AreaScaler::finishRow(int targetRow)
{
    uchar* out = m_target.scanLine(targetRow);
    const uint16_t* sums = m_sums[0].data();
    const uint16_t* weight = m_columnWeights.data();
    for (const Span& column : m_columns) {
        const uint16_t* pixel = sums + size_t(column.first) * 4;
        const uint16_t* w = weight + column.weight;
#if defined(__SSE2__)
        // Taps 0 and 1 interleaved channel by channel, then tap 2 beside
        // zeros: one multiply-add each gives the four channels' sums.
        const __m128i p0 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(pixel));
        const __m128i p1 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(pixel + 4));
        const __m128i p2 = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(pixel + 8));
        const __m128i w01 = _mm_set1_epi32(int(w[0]) | int(w[1]) << 16);
        const __m128i w2 = _mm_set1_epi32(int(w[2]));
        __m128i sum = _mm_add_epi32(_mm_madd_epi16(_mm_unpacklo_epi16(p0, p1), w01),
            _mm_madd_epi16(_mm_unpacklo_epi16(p2, _mm_setzero_si128()), w2));
        sum = _mm_srli_epi32(_mm_add_epi32(sum, _mm_set1_epi32(1 << (kShift - 1))), kShift);
        sum = _mm_packs_epi32(sum, sum);
        const int packed = _mm_cvtsi128_si32(_mm_packus_epi16(sum, sum));
        std::memcpy(out, &packed, 4);
#else
        for (int c = 0; c < 4; ++c) {
            uint32_t channel = 1u << (kShift - 1);
            for (int k = 0; k < kTaps; ++k)
                channel += uint32_t(pixel[k * 4 + c]) * w[k];
            out[c] = uchar(channel >> kShift);
        }
#endif
        out += 4;
    }
}
