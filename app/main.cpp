#include "app/k440.h"
#include "app/startup.h"

#include <QApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    initApplication();
    const StartOptions options = parseStartOptions(QApplication::arguments());

    auto *window = new K440(options.logFile); // deletes itself on close
    if (!options.logFile.isEmpty() && !window->hasLogFile()) {
        std::fprintf(stderr, "k330-terminal: cannot open the log file %s\n",
                     qPrintable(options.logFile));
        delete window;
        return 1;
    }
    window->show();
    return app.exec();
}
