#pragma once
// Read window: starts a configuration read, shows its progress, checks and converts the record
// it receives into the main window's target image.

#include "ui_read.h"

#include <QWidget>

class QTimer;
class TThread;
struct TDev;
struct TK440;

class Read : public QWidget
{
    Q_OBJECT

public:
    // Starts the read at once. target (402 bytes, not owned) is written only by a read whose
    // check value matched.
    Read(TThread *thread, TK440 *target, QWidget *parent = nullptr);
    ~Read() override;

Q_SIGNALS:
    void reqClose(QString title, bool keep);

public Q_SLOTS:
    void Quit();
    void Device(TDev *dev);
    void Config(TK440 *cfg);
    void Error();
    void Progress(quint32 num);

private:
    void finish(const QString &text, int closeAfterMs);

    Ui::ReadClass ui;
    TThread *thread;
    TK440 *target;
    QTimer *timer;
    bool stopped = false; // after an error, a refused device or a check value mismatch
};
