#pragma once

#include <QColor>
#include <QLabel>
#include <QString>

// A label that reads as a link: blue and underlined with a hand cursor,
// drawn in ActiveColor while the left button is held on it. A click opens
// URL (or, when URL is blank, the caption) through the desktop; its context
// menu's "Copy" puts the caption on the clipboard.
class TUrlLabel : public QLabel {
    Q_OBJECT
public:
    explicit TUrlLabel(QWidget* parent = nullptr);

    QString URL;
    QColor ActiveColor { 128, 0, 128 };

    // Opens what the label points at, as a click does.
    void Click();

    // The colour the caption is drawn in now.
    QColor textColor() const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void setTextColor(const QColor& color);

    QColor m_restoreColor;
    bool m_pressed = false;
};

// What a link label opens: its URL when that holds anything besides blanks
// and control characters, else its caption; empty when neither does.
QString UrlLabelTarget(const QString& url, const QString& caption);
