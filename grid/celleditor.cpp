#include "celleditor.h"

#include <QValidator>

namespace {

// Judges only what an edit inserts: the part of the new text between what
// it shares with the old text at both ends. A cell that already holds a
// refused character can still be edited around it.
class InsertionFilter : public QValidator {
public:
    explicit InsertionFilter(CellEditor* editor)
        : QValidator(editor)
        , m_editor(editor)
    {
    }

    State validate(QString& input, int&) const override
    {
        const QString& before = m_editor->acceptedText();
        qsizetype prefix = 0;
        const qsizetype shortest = qMin(before.size(), input.size());
        while (prefix < shortest && before[prefix] == input[prefix])
            ++prefix;
        qsizetype suffix = 0;
        while (suffix < shortest - prefix
            && before[before.size() - 1 - suffix] == input[input.size() - 1 - suffix])
            ++suffix;
        for (qsizetype i = prefix; i < input.size() - suffix; ++i) {
            if (!m_editor->accepts(input[i]))
                return Invalid;
        }
        return Acceptable;
    }

private:
    CellEditor* m_editor;
};

} // namespace

CellEditor::CellEditor(const QString& original, int maxLength, CharFilter accept, QWidget* parent)
    : QLineEdit(parent)
    , m_original(original)
    , m_accept(std::move(accept))
{
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) { m_accepted = text; });
    setFrame(false);
    const int limit = maxLength > 0 ? maxLength : 32767;
    setMaxLength(int(qMax<qsizetype>(limit, original.size())));
    setValidator(new InsertionFilter(this));
}

void CellEditor::setCellText(const QString& text)
{
    // QLineEdit undoes a refused edit only when the text before it was
    // acceptable, so the text set here must count as acceptable.
    m_accepted = text;
    setText(text);
}
