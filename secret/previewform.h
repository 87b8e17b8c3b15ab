#pragma once

#include <QDialog>

#include "picture.h"

class QFrame;

// The chooser's preview window: the picture stretched over the whole
// window inside a 5-pixel margin, first shown at its natural size, or
// smaller in proportion when that would not fit on the screen. Escape
// closes it.
class TPreviewForm : public QDialog {
    Q_OBJECT
public:
    // picture may be null (an empty preview): the window keeps its default size.
    explicit TPreviewForm(PicturePtr picture, QWidget* parent = nullptr);

    QFrame* Panel;
    QWidget* Image;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    PicturePtr m_picture;
};
