#include "app/k440.h"
#include "app/startup.h"
#include "app/windowstate.h"

#include <QApplication>

#include <cstdio>
#include <cstring>

// --help and --version only print, so they must work without a display.
static bool onlyPrints(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        for (const char *option : {"-h", "--help", "--help-all", "-?", "-v", "--version"}) {
            if (std::strcmp(argv[i], option) == 0)
                return true;
        }
    }
    return false;
}

int main(int argc, char *argv[])
{
    if (onlyPrints(argc, argv)) {
        QCoreApplication app(argc, argv);
        initApplication();
        setUpStartLanguage(QCoreApplication::arguments());
        parseStartOptions(QCoreApplication::arguments()); // prints and exits
        return 0;
    }
    QApplication app(argc, argv);
    initApplication();
    setUpStartLanguage(QApplication::arguments());
    const StartOptions options = parseStartOptions(QApplication::arguments());

    auto *window = new K440(options.logFile, options.transport); // deletes itself on close
    if (!options.logFile.isEmpty() && !window->hasLogFile()) {
        std::fprintf(stderr, "k330-terminal: cannot open the log file %s\n",
                     qPrintable(options.logFile));
        delete window;
        return 1;
    }
    window->setRecordsServer(options.recordsUrl);
    // Where and how large the last run left it, else large enough for the largest page.
    if (!windowstate::restore(*window))
        window->resize(windowstate::defaultMainSize(*window));
    window->show();
    const int status = app.exec();
    // The worker has stopped with the window: the simulated controllers' memory is final.
    if (!saveSimState(options.link)) {
        std::fprintf(stderr, "k330-terminal: cannot save the simulator state file %s\n",
                     qPrintable(options.link.stateFile));
    }
    return status;
}
