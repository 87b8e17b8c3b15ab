#include "picturechooser.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSortFilterProxyModel>
#include <QToolTip>

#include "picturechooserpanel.h"
#include "termination.h"
#include "windowframe.h"

// Qt's file dialog takes a filter's patterns from between its parentheses,
// split at blanks and matched with the file system's case sensitivity: the
// first entry's "*.jpg;*.jpeg;..." would match nothing and "PHOTO.JPG" would
// never be offered. The dialog's own filtering is therefore switched off
// (its model keeps no name filters) and this proxy applies the selected
// entry's patterns, without regard to case. Folders always pass.
class PatternFilter : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    void setPatterns(const QStringList& patterns)
    {
        m_patterns.clear();
        for (const QString& pattern : patterns)
            m_patterns.append(QRegularExpression::fromWildcard(pattern, Qt::CaseInsensitive));
        invalidateFilter();
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override
    {
        const auto* files = static_cast<const QFileSystemModel*>(sourceModel());
        const QModelIndex index = files->index(row, 0, parent);
        if (files->isDir(index))
            return true;
        const QString name = files->fileName(index);
        for (const QRegularExpression& pattern : m_patterns) {
            if (pattern.match(name).hasMatch())
                return true;
        }
        return false;
    }

private:
    QList<QRegularExpression> m_patterns;
};

namespace {

// Width of the side panel: 112 dialog units of an 8-point MS Sans Serif
// dialog, 1.5 pixels each.
constexpr int kPanelWidth = 168;

ChooserSeam& chooserSeam()
{
    static ChooserSeam seam;
    return seam;
}

} // namespace

void setChooserSeamForTesting(ChooserSeam seam)
{
    chooserSeam() = std::move(seam);
}

TOpenPictureDialog::TOpenPictureDialog(QWidget* owner)
    : QObject(owner)
    , Filter(
          QStringLiteral("Tout (*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf)|*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf|"
                         "Fichier image JPEG (*.jpg)|*.jpg|Fichier image JPEG (*.jpeg)|*.jpeg|"
                         "Bitmaps (*.bmp)|*.bmp|Icônes (*.ico)|*.ico|MétaFichiers améliorés (*.emf)|*.emf|"
                         "MetaFichiers (*.wmf)|*.wmf"))
    , m_owner(owner)
{
}

TOpenPictureDialog::~TOpenPictureDialog()
{
    delete m_dialog;
}

QStringList TOpenPictureDialog::filterDescriptions() const
{
    const QStringList parts = Filter.split(QLatin1Char('|'));
    QStringList descriptions;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        descriptions.append(parts.at(i));
    return descriptions;
}

QStringList TOpenPictureDialog::filterPatterns(int index) const
{
    const QStringList parts = Filter.split(QLatin1Char('|'));
    const qsizetype at = 2 * qsizetype(index - 1) + 1;
    if (index < 1 || at >= parts.size())
        return {};
    return parts.at(at).split(QLatin1Char(';'), Qt::SkipEmptyParts);
}

void TOpenPictureDialog::createDialog()
{
    m_dialog = new QFileDialog(m_owner);
    m_dialog->setObjectName(QStringLiteral("OpenPictureDialog1"));
    m_dialog->setOption(QFileDialog::DontUseNativeDialog);
    m_dialog->setFileMode(QFileDialog::ExistingFile);
    m_dialog->setAcceptMode(QFileDialog::AcceptOpen);
    m_dialog->setSizeGripEnabled(true);

    m_proxy = new PatternFilter(m_dialog);
    m_dialog->setProxyModel(m_proxy);

    // The standard controls fill a grid; the panel takes a new column to
    // their right, over the grid's whole height.
    m_panel = new TPicturePanel(m_dialog);
    m_panel->setFixedWidth(kPanelWidth);
    if (auto* grid = qobject_cast<QGridLayout*>(m_dialog->layout()))
        grid->addWidget(m_panel, 0, grid->columnCount(), grid->rowCount(), 1);
    m_dialog->resize(m_dialog->sizeHint().width() + kPanelWidth, m_dialog->sizeHint().height());
    WindowFrame::install(*m_dialog, TitleBarButtons::Close, FrameSizing::Sizeable);

    connect(m_dialog, &QFileDialog::currentChanged, m_panel, &TPicturePanel::SelectionChanged);
    connect(m_dialog, &QFileDialog::filterSelected, this,
        [this](const QString& description) { applyFilter(filterDescriptions().indexOf(description) + 1); });
}

void TOpenPictureDialog::applyFilter(int index)
{
    if (auto* files = m_dialog->findChild<QFileSystemModel*>())
        files->setNameFilters({});
    m_proxy->setPatterns(filterPatterns(index));
}

bool TOpenPictureDialog::Execute()
{
    if (chooserSeam()) {
        const std::optional<QString> answer = chooserSeam()(*this);
        if (!answer)
            return false;
        FileName = *answer;
        return true;
    }

    if (!m_dialog)
        createDialog();
    const QStringList descriptions = filterDescriptions();
    const int index = FilterIndex >= 1 && FilterIndex <= descriptions.size() ? FilterIndex : 1;
    m_dialog->setWindowTitle(Title);
    m_dialog->setNameFilters(descriptions);
    m_dialog->selectNameFilter(descriptions.value(index - 1));
    applyFilter(index);
    if (!InitialDir.isEmpty())
        m_dialog->setDirectory(InitialDir);
    if (auto* name = m_dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        name->setText(FileName);
    m_panel->ClearPicture();

    const bool confirmed = ExecModal(*m_dialog) == QDialog::Accepted && !m_dialog->selectedFiles().isEmpty();
    QToolTip::hideText();
    // Qt's dialog leaves its file-name completion list open when the name was
    // typed and confirmed with Enter; the user's next click would only close it.
    if (auto* name = m_dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
        if (QCompleter* completer = name->completer())
            completer->popup()->hide();
    if (!confirmed)
        return false;
    FileName = m_dialog->selectedFiles().constFirst();
    FilterIndex = int(descriptions.indexOf(m_dialog->selectedNameFilter())) + 1;
    if (FilterIndex < 1)
        FilterIndex = 1;
    return true;
}
