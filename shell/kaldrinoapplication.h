#pragma once

#include <QApplication>

// The application object: title "Kaldrino", Qt's French translations, the
// font names of the windows mapped to installed families, and the one place
// where an error escaping an event handler is shown and stopped.
//
// The program takes no command-line arguments: Qt sees the program name
// alone, so none of its own options (-style, -reverse, -platform...) is
// applied. The environment variables that choose the platform and the
// scaling still are. A session's SIGTERM or SIGHUP ends it like Quit.
class KaldrinoApplication : public QApplication {
    Q_OBJECT
public:
    KaldrinoApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};
