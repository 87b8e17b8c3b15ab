#include "picturechooserpanel.h"

#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QToolButton>

#include "filesystem.h"
#include "previewform.h"
#include "previewrect.h"
#include "setupresources.h"
#include "termination.h"

namespace {

constexpr int kBorder = 6; // the panel's inner border
constexpr int kCaptionHeight = 23;

bool isEmpty(const PicturePtr& picture)
{
    return !picture || picture->naturalSize().width() <= 0;
}

} // namespace

TPicturePanel::TPicturePanel(QWidget* parent)
    : QWidget(parent)
    , PictureLabel(new QLabel(this))
    , PreviewButton(new QToolButton(this))
    , PaintPanel(new QFrame(this))
    , PaintBox(new QWidget(PaintPanel))
{
    setObjectName(QStringLiteral("PicturePanel"));
    PictureLabel->setObjectName(QStringLiteral("PictureLabel"));
    PictureLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    PreviewButton->setObjectName(QStringLiteral("PreviewButton"));
    initSetupResources();
    PreviewButton->setIcon(QIcon(QPixmap(QStringLiteral(":/setup/PREVIEWGLYPH"))));
    PreviewButton->setIconSize(QSize(16, 16));
    PreviewButton->setToolTip(QStringLiteral("Prévisualiser"));
    PreviewButton->setFocusPolicy(Qt::NoFocus);
    PreviewButton->setEnabled(false);
    connect(PreviewButton, &QToolButton::clicked, this, &TPicturePanel::ShowPreview);

    // A raised inner and a lowered outer bevel: Qt's sunken box.
    PaintPanel->setObjectName(QStringLiteral("PaintPanel"));
    PaintPanel->setFrameStyle(QFrame::Box | QFrame::Sunken);
    PaintPanel->setLineWidth(1);

    PaintBox->setObjectName(QStringLiteral("PaintBox"));
    PaintBox->installEventFilter(this);

    PreviewButton->raise();
}

void TPicturePanel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    const int inner = width() - 2 * kBorder;
    PictureLabel->setGeometry(kBorder, kBorder, inner, kCaptionHeight);
    PaintPanel->setGeometry(
        kBorder, kBorder + kCaptionHeight, inner, height() - 2 * kBorder - kCaptionHeight);
    PreviewButton->setGeometry(kBorder + inner - 2 - 23, kBorder + 1, 23, 22);
    PaintBox->setGeometry(PaintPanel->contentsRect());
}

void TPicturePanel::SelectionChanged(const QString& path)
{
    PicturePtr loaded;
    if (FileExists(path)) {
        try {
            // A damaged JPEG counts as no picture here rather than failing
            // in a repaint.
            loaded = LoadShowablePicture(path);
        } catch (const std::exception&) {
            loaded.reset();
        }
    }
    if (loaded) {
        m_picture = std::move(loaded);
        const QSize size = m_picture->naturalSize();
        PictureLabel->setText(QStringLiteral(" (%1x%2)").arg(size.width()).arg(size.height()));
        PreviewButton->setEnabled(true);
    } else {
        m_picture.reset();
        PictureLabel->setText(QStringLiteral("Image :"));
        PreviewButton->setEnabled(false);
    }
    PaintBox->update();
}

void TPicturePanel::ClearPicture()
{
    m_picture.reset();
    PaintBox->update();
}

void TPicturePanel::ShowPreview()
{
    TPreviewForm form(isEmpty(m_picture) ? PicturePtr() : m_picture, window());
    ExecModal(form);
}

bool TPicturePanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == PaintBox) {
        if (event->type() == QEvent::Paint) {
            paintPreview();
            return true;
        }
        if (event->type() == QEvent::MouseButtonDblClick) {
            ShowPreview();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TPicturePanel::paintPreview()
{
    QPainter painter(PaintBox);
    if (isEmpty(m_picture)) {
        const QString text = QStringLiteral("(vide)");
        const QFontMetrics metrics(PaintBox->font());
        const QPoint origin
            = CentredTextOrigin(QSize(metrics.horizontalAdvance(text), metrics.height()), PaintBox->size());
        painter.setBackgroundMode(Qt::OpaqueMode);
        painter.setBackground(PaintBox->palette().color(QPalette::Window));
        painter.drawText(origin.x(), origin.y() + metrics.ascent(), text);
        return;
    }
    m_picture->draw(painter, PreviewRect(m_picture->naturalSize(), PaintBox->size()));
}
