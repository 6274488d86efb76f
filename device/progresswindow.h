#pragma once
// Progress window shared by the read, write and firmware-load windows: the "ReadClass" form, the
// self-closing timer and the rules by which the window asks the main window to close it.

#include "ui_read.h"

#include <QWidget>

class QTimer;
class TThread;

class ProgressWindow : public QWidget
{
    Q_OBJECT

public:
    ~ProgressWindow() override;

Q_SIGNALS:
    // keep is true only after the job finished without an error or a refusal.
    void reqClose(QString title, bool keep);

public Q_SLOTS:
    void Quit();
    void Progress(quint32 num);

protected:
    // Builds the form: progress 0 of progressMax, button "Отменить", label asking for the device.
    ProgressWindow(TThread *thread, int progressMax, QWidget *parent);

    // The job has ended: the button becomes "Закрыть" and the window closes itself after
    // closeAfterMs unless the user closes it first.
    void finish(int closeAfterMs);
    void finish(const QString &text, int closeAfterMs);
    // As finish(text, ms), and whatever the job delivers afterwards is ignored.
    void stop(const QString &text, int closeAfterMs);
    // Controller name in the configuration windows' labels: "К-330RA" or "К-330RB", empty for
    // any other model code.
    static QString configModelText(quint16 model);

    Ui::ReadClass ui;
    TThread *thread;
    QTimer *timer;
    bool stopped = false; // after an error or a refusal
};
