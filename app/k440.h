#pragma once
// Main window of the terminal: the shell around the session (config/session.h). It owns the
// worker thread, the actions, menus and docks, the device tree, the program log and every
// sub-window, and opens and closes windows as the session and the window registry decide.

#include "config/document.h"
#include "config/session.h"
#include "config/tk440.h"
#include "device/operations/recording.h"
#include "device/usbtransport.h"
#include "records/recordsconfig.h"

#include <QByteArray>
#include <QFile>
#include <QMainWindow>

#include <memory>

class CDevTree;
class CLogEdit;
class ConnectionStatus;
class Prompter;
class QAction;
class QDockWidget;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QToolBar;
class QTreeWidgetItem;
class RecordQuery;
class Recorder;
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

    // Also append every log line to this file (UTF-8, one line per entry, oldest first): as the
    // log shows it, or dated (the ISO date and time before "-> "), for a file kept across runs
    // as the command line's is.
    bool setLogFile(const QString &fileName, bool dated = false);
    bool hasLogFile() const { return logFile != nullptr; }

    // The server of the operation records named on the command line (--records); the
    // environment's K330_RECORDS or the setting "Журнал на сервере" otherwise (k440records.cpp).
    void setRecordsServer(const QString &url);

    // Replaces the user prompts (message boxes, file dialogs, modal dialogs); takes ownership.
    void setPrompter(std::unique_ptr<Prompter> p);
    Prompter *userPrompter() const { return prompter.get(); }

    TThread *workerThread() const { return thread; }
    ConfigDocument &document() { return doc; }
    TK440 *documentImage() const { return doc.image(); }
    TK440 *workingCopy() const { return doc.workingCopy(); }
    int currentMode() const { return session.mode(); }
    bool isConnected() const { return session.isConnected(); }
    QMdiArea *mdi() const { return mdiArea; }
    CDevTree *deviceTree() const { return devTree; }
    QDockWidget *deviceDock() const { return treeDock; }
    QFile *currentFile() const { return doc.file(); }
    // Firmware file contents read by "Загрузить ПО" for the load window.
    const QByteArray &firmwareData() const { return doc.firmware(); }
    int firmwareSize() const { return doc.firmwareSize(); }
    // The open sub-window created as window `id`, or nullptr.
    QMdiSubWindow *findSubWindow(WindowId id) const;
    // The open sub-window of the window titled `title` (Russian or displayed), or nullptr.
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
    // "Журнал операций": opens the window of the operation records, or brings it forward.
    void operationJournal();
    void openItem(QTreeWidgetItem *item, int column);
    // Opens the window titled s (Russian or displayed), or brings it forward when it is open.
    void openWin(QString s);
    // Closes the window titled name; mode: keep its result (see SubWindow::reqClose).
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
    // Operating mode m, as the session decides: a switch closes windows, rebuilds the tree and
    // keeps the configuration; the current mode (or none) changes nothing.
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

    // The program's name: the title with nothing open, and that of its message boxes.
    static QString appTitle();
    // The title names the open file and marks contents that no file holds (app/k440recovery.cpp).
    void updateTitle();
    // The open image, when no file holds it, goes to the recovery folder; the log names the file.
    void keepUnsaved();
    // "Восстановить несохранённые…": the list of kept configurations; the chosen one becomes the
    // open configuration, byte for byte, after the usual question.
    void restoreUnsaved();

private:
    void createActions();
    void createFileActions();
    void createTaskActions();
    void createRecoveryAction();
    // "Восстановить несохранённые…" is enabled while the recovery folder holds a configuration.
    void updateRestoreAction();
    // Keys of the task actions and "Сохранить как" beyond the standard ones (app/k440keys.cpp).
    void createShortcuts();
    // The permanent connection field of the status bar, the log's menu, the empty area's hint.
    void createStatusParts();
    // What the empty area says while nothing is open: how to create, open or read a
    // configuration, with the keys.
    QString startHint() const;
    // The log dock's "Сохранить лог…": its lines as shown, to a file the user names.
    void saveLog();
    // A new action of the main window with its object name, text, status tip and icon.
    void makeAction(QAction *&act, const char *name, const QString &text, const QString &tip,
                    const char *icon = nullptr);
    void createMenus();
    void createToolBars();
    void createDockWindows();
    // The tree items of the open image's model in mode m; each carries its WindowId.
    void fillDeviceTree(int m);
    void openWindow(WindowId id);
    void closeWindow(WindowId id, bool keep);
    // What the user is asked before a window with this input opens; false: it does not open.
    bool askFirst(WindowInput input);
    // Puts a constructed window into the multi-document area under its displayed title.
    void showSubWindow(SubWindow *w);
    bool readFirmware();
    // The operation records (k440records.cpp): what the task windows record with, and the
    // recorder, made with the first record.
    OperationJournal journal();
    Recorder *records();
    RecordsConfig recordsConfig() const;
    // The Options menu's settings of the records: "Сохранять конфигурацию перед записью" and
    // "Журнал на сервере…", after a separator.
    void addRecordsSettings(QMenu *menu);
    // "Журнал на сервере…": the dialog; an accepted change goes to the setting and the records
    // go to the store it names from then on, without a restart.
    void recordsServerSettings();
    // What the journal window does with a record's image: opens it as a document without a
    // file, or writes it back to the unit `serial` (a refusal's text, or empty when the write
    // window opened).
    void openRecordImage(const QByteArray &image, const QString &source);
    QString restoreRecordImage(const QByteArray &image, const QString &serial,
                               const QString &source);

protected:
    QMdiArea *mdiArea = nullptr;
    CLogEdit *logEdit = nullptr;
    QDockWidget *logDock = nullptr;
    CDevTree *devTree = nullptr;
    QDockWidget *treeDock = nullptr;
    ConnectionStatus *connStatus = nullptr;

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
    QAction *journalAct = nullptr;
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
    QAction *restoreAct = nullptr;
    QAction *backupAct = nullptr;
    QAction *recordsServerAct = nullptr;

    // The open configuration, the mode, the connection and the read in progress; it goes with
    // the members, so windows that the base class deletes later no longer reach it.
    Session session;
    ConfigDocument &doc; // the session's document: image, working copy, file, firmware
    TThread *thread = nullptr;

    std::unique_ptr<Prompter> prompter;
    std::unique_ptr<QFile> logFile;
    Recorder *recorder = nullptr;
    QString recordsUrl;
    bool logFileDated = false;
    QMdiSubWindow *journalSub = nullptr; // the journal window's, while it is open
    RecordQuery *recordQuery = nullptr; // the journal window's queries, made with the first
};
