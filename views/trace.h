#pragma once
// Protocol trace window: captures what the controller sees on its Bus+ and Link channels,
// one line per trace buffer, shown newest first and optionally saved to a .log text file.
// While the capture runs exactly one trace read is outstanding at the worker.

#include "config/widgets/subwindow.h"
#include "ui_trace.h"

#include <QFile>
#include <QTextStream>

class TThread;

class Trace : public SubWindow
{
    Q_OBJECT

public:
    Trace(QWidget *parent, TThread *thread, bool connected);
    ~Trace() override;
    bool busy() const override;

public Q_SLOTS:
    void Clear();
    void Quit();
    void Conn(bool on);
    void Run(bool on);
    void ChkRxB(bool on);
    void ChkTxB(bool on);
    void ChkRxL(bool on);
    void ChkTxL(bool on);
    void Data(quint16 *data);

private:
    void setBit(quint16 bit, bool on);
    void insertLine(const QString &line);
    // Writes one line to the file; a failed write closes the file and warns once.
    void writeLine(const QString &line);
    void closeFile();

    Ui::TraceClass ui;
    TThread *thread;
    quint16 chanMask = 0;
    QFile traceFile;
    QTextStream traceStream;
};
