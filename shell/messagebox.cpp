#include "messagebox.h"

#include <QCloseEvent>
#include <QMessageBox>
#include <QPushButton>

#include "termination.h"
#include "windowframe.h"

namespace {

MessageSeam& messageSeam()
{
    static MessageSeam seam;
    return seam;
}

// QMessageBox answers its close box with the escape button; the program's
// boxes answer it with Cancel, so the box remembers how it was closed.
class KaldrinoMessageBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;
    bool closedByCloseBox() const { return m_closedByCloseBox; }

protected:
    void closeEvent(QCloseEvent* event) override
    {
        if (!clickedButton())
            m_closedByCloseBox = true;
        QMessageBox::closeEvent(event);
    }

private:
    bool m_closedByCloseBox = false;
};

QString captionOf(MsgKind kind)
{
    switch (kind) {
    case MsgKind::Warning:
        return QStringLiteral("Avertissement");
    case MsgKind::Information:
        return QStringLiteral("Information");
    case MsgKind::Confirmation:
        return QStringLiteral("Confirmation");
    case MsgKind::Error:
        break;
    }
    return QStringLiteral("Kaldrino");
}

QMessageBox::Icon iconOf(MsgKind kind)
{
    switch (kind) {
    case MsgKind::Warning:
        return QMessageBox::Warning;
    case MsgKind::Information:
        return QMessageBox::Information;
    case MsgKind::Confirmation:
        return QMessageBox::Question;
    case MsgKind::Error:
        break;
    }
    return QMessageBox::Critical;
}

} // namespace

MsgResult MessageDlg(const QString& text, MsgKind kind, MsgButtons buttons)
{
    if (messageSeam())
        return messageSeam()(MessageRecord { text, kind, buttons });
    if (TerminationRequested())
        return MsgResult::Cancel;

    // No parent: the box is centred on the screen, not on a window.
    KaldrinoMessageBox box;
    box.setWindowTitle(captionOf(kind));
    box.setIcon(iconOf(kind));
    box.setTextFormat(Qt::PlainText);
    QString shown = text;
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    box.setText(shown);

    QPushButton* ok = nullptr;
    QPushButton* yes = nullptr;
    QPushButton* no = nullptr;
    if (buttons == MsgButtons::Ok) {
        ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        box.setDefaultButton(ok);
        box.setEscapeButton(ok);
    } else {
        yes = box.addButton(QStringLiteral("&Oui"), QMessageBox::YesRole);
        no = box.addButton(QStringLiteral("&Non"), QMessageBox::NoRole);
        box.setDefaultButton(buttons == MsgButtons::YesNoDefaultNo ? no : yes);
        box.setEscapeButton(no);
    }

    // Last, once QMessageBox has laid out its content for good.
    WindowFrame::install(box, TitleBarButtons::Close, FrameSizing::Fixed);
    ExecModal(box);

    if (TerminationRequested() || box.closedByCloseBox())
        return MsgResult::Cancel;
    QAbstractButton* clicked = box.clickedButton();
    if (clicked && clicked == ok)
        return MsgResult::Ok;
    if (clicked && clicked == yes)
        return MsgResult::Yes;
    if (clicked && clicked == no)
        return MsgResult::No;
    return MsgResult::Cancel;
}

void setMessageSeamForTesting(MessageSeam seam)
{
    messageSeam() = std::move(seam);
}
