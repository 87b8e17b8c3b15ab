#pragma once

#include <QLineEdit>
#include <functional>

// The in-place editor of a grid cell. It remembers the text the cell had
// when the edit began, for Escape, and refuses any typed or pasted text that
// holds a character its filter rejects. It never shortens the text it was
// opened with, only refuses to grow past its limit.
class CellEditor : public QLineEdit {
    Q_OBJECT
public:
    using CharFilter = std::function<bool(QChar)>;

    CellEditor(const QString& original, int maxLength, CharFilter accept, QWidget* parent = nullptr);

    const QString& original() const { return m_original; }
    void restoreOriginal() { setCellText(m_original); }

    // Puts the cell's text in the editor. Only what the user types or pastes
    // is filtered: a text set here is taken as it is.
    void setCellText(const QString& text);

    // The text the editor held before the change being validated.
    const QString& acceptedText() const { return m_accepted; }
    bool accepts(QChar c) const { return !m_accept || m_accept(c); }

private:
    QString m_original;
    QString m_accepted;
    CharFilter m_accept;
};
