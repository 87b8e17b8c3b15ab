#pragma once

#include <QWidget>

#include "picture.h"

class QFrame;
class QLabel;
class QToolButton;

// The picture chooser's side panel: a caption line with the picture's size,
// a preview button, and a drawing area framed by a bevel that shows the
// selected file as a thumbnail.
class TPicturePanel : public QWidget {
    Q_OBJECT
public:
    explicit TPicturePanel(QWidget* parent = nullptr);

    QLabel* PictureLabel;
    QToolButton* PreviewButton;
    QFrame* PaintPanel;
    QWidget* PaintBox;

    // The selection in the file list changed to path: loads it as the
    // preview picture, or shows no picture when that fails, silently.
    void SelectionChanged(const QString& path);

    // Empties the preview picture (each time the chooser is shown).
    void ClearPicture();

    const PicturePtr& picture() const { return m_picture; }

    // Opens the preview window on the current picture, empty or not.
    void ShowPreview();

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void paintPreview();

    PicturePtr m_picture;
};
