#include "errordisplay.h"

#include <QCoreApplication>

#include "kaldrinoerror.h"
#include "messagebox.h"

QString errorBoxText(const QString& message)
{
    if (!message.isEmpty() && message.back().unicode() > u'.')
        return message + QLatin1Char('.');
    return message;
}

void ShowErrorMessage(const QString& message)
{
    MessageDlg(errorBoxText(message), MsgKind::Error, MsgButtons::Ok);
}

void ShowException(const std::exception& error)
{
    if (const auto* own = dynamic_cast<const KaldrinoError*>(&error)) {
        ShowErrorMessage(QString::fromStdString(own->message()));
        return;
    }
    ShowErrorMessage(QString::fromLocal8Bit(error.what()));
}

void ShowExceptionLater(std::exception_ptr error)
{
    QMetaObject::invokeMethod(
        qApp,
        [error] {
            try {
                std::rethrow_exception(error);
            } catch (const std::exception& e) {
                ShowException(e);
            } catch (...) {
            }
        },
        Qt::QueuedConnection);
}
