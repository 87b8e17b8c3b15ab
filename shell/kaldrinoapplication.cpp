#include "kaldrinoapplication.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "errordisplay.h"
#include "fonts.h"
#include "sessionend.h"

namespace {

// QApplication keeps a reference to the count and the vector for its whole
// life: they must outlive it.
int s_argc = 1;
char s_fallbackName[] = "kaldrino";
char* s_argv[] = { s_fallbackName, nullptr };

int& programNameOnly(char** argv)
{
    if (argv && argv[0])
        s_argv[0] = argv[0];
    s_argc = 1;
    return s_argc;
}

} // namespace

KaldrinoApplication::KaldrinoApplication(int& /*argc*/, char** argv)
    : QApplication(programNameOnly(argv), s_argv)
{
    // The name only: a display name would be appended to every window title.
    setApplicationName(QStringLiteral("Kaldrino"));
    // Wayland compositors match the windows to the desktop entry by this.
    setDesktopFileName(QStringLiteral("kaldrino"));

    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    auto* translator = new QTranslator(this);
    if (translator->load(QLocale(QLocale::French), QStringLiteral("qtbase"), QStringLiteral("_"),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        installTranslator(translator);
    else
        delete translator;

    installFontSubstitutions();
    EndOnSessionSignals(this);
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
