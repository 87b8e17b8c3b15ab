#pragma once

#include <QImage>
#include <cstdint>
#include <vector>

// Shrinks a picture fed one row at a time into a target image at most twice
// smaller on each axis, by area averaging: each target pixel is the mean of
// the source area it covers, partial pixels weighted by their share. Besides
// the target only two rows of sums are held, so a decoder can stream into it
// without keeping the larger picture. Pixels are 4 bytes, each averaged
// alike.
class AreaScaler {
public:
    // Whether the scaler handles this reduction.
    static bool handles(QSize source, QSize target);

    // target is written row by row and must outlive the scaler.
    AreaScaler(QSize source, QImage& target);

    // Takes the next source row: source.width() pixels of 4 bytes.
    void addRow(const uchar* row);

private:
    struct Span {
        int first; // first source index covered
        int count; // source pixels covered, in part or whole: 1 to 3
        int weight; // index of the first pixel's weight
    };
    static std::vector<Span> spans(int source, int target, uint32_t unit, std::vector<uint16_t>& weights);
    void finishRow(int targetRow);

    QImage& m_target;
    QSize m_source;
    int m_sourceRow = 0;
    int m_targetRow = 0; // the row m_sums[0] adds up
    std::vector<Span> m_columns, m_rows;
    std::vector<uint16_t> m_columnWeights, m_rowWeights;
    std::vector<uint16_t> m_sums[2]; // target rows m_targetRow and the next, at source width
};
