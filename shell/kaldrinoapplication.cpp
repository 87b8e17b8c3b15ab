#include "kaldrinoapplication.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "errordisplay.h"
#include "fonts.h"

KaldrinoApplication::KaldrinoApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
    // The name only: a display name would be appended to every window title.
    setApplicationName(QStringLiteral("Kaldrino"));

    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    auto* translator = new QTranslator(this);
    if (translator->load(QLocale(QLocale::French), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(translator);
    else
        delete translator;

    installFontSubstitutions();
}

bool KaldrinoApplication::notify(QObject* receiver, QEvent* event)
{
    // The step that threw stays unfinished; the program goes on.
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        ShowException(error);
    } catch (...) {
        ShowErrorMessage(QStringLiteral("Erreur inconnue"));
    }
    return false;
}
