#pragma once

#include <QImage>
#include <cstdint>
#include <vector>

// Shrinks a picture fed one row at a time into a target image no larger on
// either axis, by area averaging: each target pixel is the mean of the source
// area it covers, partial pixels weighted by their share. Besides the target
// it holds a few rows at source width (three source rows or two rows of
// sums, and one more), so a decoder can stream into it without keeping the
// larger picture. Pixels are 4 bytes, each averaged alike.
class AreaScaler {
public:
    // Whether the scaler handles this reduction: any, down to a single pixel.
    static bool handles(QSize source, QSize target);

    // target is written row by row and must outlive the scaler.
    AreaScaler(QSize source, QImage& target);

    // Takes the next source row: source.width() pixels of 4 bytes.
    void addRow(const uchar* row);

    // Where the next source row may be written, so that addRow need not
    // copy it; null when the scaler keeps no rows.
    uchar* rowBuffer();

    // Every source row not added yet equals row: finishes the target with
    // the work of about two target rows, giving what adding them one by one
    // would give.
    void addRemainingRows(const uchar* row);

private:
    struct Span {
        int first; // first source index covered
        int count; // source pixels covered, in part or whole
        int weight; // index of the first pixel's weight
    };
    static std::vector<Span> spans(int source, int target, std::vector<uint16_t>& weights);
    void accumulate(int slot, const uchar* row, uint16_t weight);
    void keepRow(const uchar* row);
    void finishRow();

    // Shrinking by at most half, a target row draws on at most three source
    // rows: the last three are kept and weighed in one pass when a target
    // row's last one has come. Shrinking further, each row is added into
    // the sums of the target rows it falls in as it comes.
    static constexpr int kKeptRows = 3;
    std::vector<uchar> m_kept; // source row y in slot y % kKeptRows

    QImage& m_target;
    QSize m_source;
    int m_sourceRow = 0;
    int m_targetRow = 0; // the row m_sums[0] adds up
    int m_taps = 1; // weights per column span, unused ones 0
    std::vector<Span> m_columns, m_rows;
    std::vector<int> m_columnFirst; // each column span's first source index
    // Column weights are held at the width of the sums they multiply, so
    // that each loads straight into a vector.
    std::vector<uint32_t> m_columnWeights;
    std::vector<uint16_t> m_rowWeights;
    // Target rows m_targetRow and the next, at source width; each is
    // overwritten by its first row rather than cleared.
    std::vector<uint32_t> m_sums[2];
    bool m_started[2] = { false, false };
    std::vector<uint32_t> m_scratch; // a target row's weighted sums
    uint32_t m_area = 1; // what a target pixel's weights add up to
};
