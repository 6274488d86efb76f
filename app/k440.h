#pragma once
// Main window of the terminal: owns the worker thread, the configuration document, the device
// tree, the program log and every sub-window.

#include "config/document.h"
#include "config/tk440.h"
#include "device/usbtransport.h"

#include <QByteArray>
#include <QFile>
#include <QMainWindow>

#include <memory>

class CDevTree;
class CLogEdit;
class Prompter;
class QAction;
class QDockWidget;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;
class QTreeWidgetItem;
class SubWindow;
class TThread;

class K440 : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr int MaxRecentFiles = 5;

    // logFileName: also append every log line to this file (see setLogFile); it is opened
    // before the first look for a controller, so no line is missed. transport: makes the link
    // the worker thread uses (the simulated controller, the USB trace); without one, the USB
    // bus through libusb.
    explicit K440(const QString &logFileName = QString(),
                  const UsbTransport::Factory &transport = {});
    ~K440() override;

    // Also append every log line to this file (UTF-8, one line per entry, oldest first).
    bool setLogFile(const QString &fileName);
    bool hasLogFile() const { return logFile != nullptr; }

    // Replaces the user prompts (message boxes, file dialogs, modal dialogs); takes ownership.
    void setPrompter(std::unique_ptr<Prompter> p);
    Prompter *userPrompter() const { return prompter.get(); }

    TThread *workerThread() const { return thread; }
    ConfigDocument &document() { return doc; }
    TK440 *documentImage() const { return doc.image(); }
    TK440 *workingCopy() const { return doc.workingCopy(); }
    int currentMode() const { return mode; }
    bool isConnected() const { return connected; }
    QMdiArea *mdi() const { return mdiArea; }
    CDevTree *deviceTree() const { return devTree; }
    QDockWidget *deviceDock() const { return treeDock; }
    QFile *currentFile() const { return doc.file(); }
    // Firmware file contents read by "Загрузить ПО" for the load window.
    const QByteArray &firmwareData() const { return doc.firmware(); }
    int firmwareSize() const { return doc.firmwareSize(); }
    // The sub-window with this title, or nullptr.
    QMdiSubWindow *findSubWindow(const QString &title) const;

Q_SIGNALS:
    void mes(QString s);

public Q_SLOTS:
    // File slots (app/k440files.cpp).
    void create();
    void open();
    void save();
    void saveAs();
    void openRecentFile();
    void shut();

    void read();
    void write();
    void load();
    void user();
    void service();
    void about();
    void openItem(QTreeWidgetItem *item, int column);
    void openWin(QString s);
    void closeWin(QString name, bool mode);
    void log(QString s);
    void conn(bool c);

protected:
    void closeEvent(QCloseEvent *event) override;
#ifdef Q_OS_WIN
    bool nativeEvent(const QByteArray &eventType, void *message, qintptr *result) override;
#endif

    // Shows the open image for mode m: enables actions, logs the model and fills the tree.
    void buildTree(int m);
    // Closes every window and drops the document image; the current file stays.
    void closeImage();
    // Operating mode switch: closes windows, rebuilds the tree, keeps the configuration.
    void setOperatingMode(int m);
    // "Закрыть текущее устройство": true to go on (nothing open, or "&Да" and closed).
    bool askToClose();

    // File operations (app/k440files.cpp).
    bool loadFile();
    bool saveFile();
    // File dialog filter for configuration files, opening and saving alike.
    static QString configFileFilter();

    // Recent-file list in the settings, newest first.
    void setCurrentFile(const QString &fileName);
    void updateRecentFileActions();
    static QString strippedName(const QString &fullFileName);

    void warn(const QString &text);

private:
    void createActions();
    void createMenus();
    void createToolBars();
    void createDockWindows();
    // Puts a constructed window into the multi-document area under the title s.
    void showSubWindow(SubWindow *w, const QString &s);
    bool readFirmware();

protected:
    QMdiArea *mdiArea = nullptr;
    CLogEdit *logEdit = nullptr;
    QDockWidget *logDock = nullptr;
    CDevTree *devTree = nullptr;
    QDockWidget *treeDock = nullptr;

    QMenu *fileMenu = nullptr;
    QMenu *taskMenu = nullptr;
    QMenu *optionMenu = nullptr;
    QMenu *windowMenu = nullptr;
    QMenu *helpMenu = nullptr;
    QToolBar *fileToolBar = nullptr;
    QToolBar *taskToolBar = nullptr;

    QAction *newAct = nullptr;
    QAction *openAct = nullptr;
    QAction *saveAct = nullptr;
    QAction *saveAsAct = nullptr;
    QAction *separatorAct = nullptr;
    QAction *recentFileActs[MaxRecentFiles] = {};
    QAction *closeAct = nullptr;
    QAction *exitAct = nullptr;
    QAction *readAct = nullptr;
    QAction *writeAct = nullptr;
    QAction *loadAct = nullptr;
    QAction *userAct = nullptr;
    QAction *serviceAct = nullptr;
    QAction *aboutAct = nullptr;
    QAction *closeWinAct = nullptr;
    QAction *closeAllAct = nullptr;
    QAction *tileAct = nullptr;
    QAction *cascadeAct = nullptr;

    // The open configuration: image, working copy, the image a read window fills, the current
    // file and the firmware for the load window.
    ConfigDocument doc;
    QObject *pendingReader = nullptr; // the read window filling the document's pending read
    // Context of the read windows' "destroyed" handlers: it goes with the members, so windows
    // that the base class deletes later no longer reach the pending read.
    QObject readWatch;
    TThread *thread = nullptr;
    int mode = 1;
    bool connected = false;

    std::unique_ptr<Prompter> prompter;
    std::unique_ptr<QFile> logFile;
};
