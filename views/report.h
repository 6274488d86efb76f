#pragma once
// Statistics window: shows the controller's statistics record, asks for one every second while
// "Старт" is pressed, and makes the controller reset its counters with "Сброс".

#include "config/widgets/subwindow.h"
#include "ui_report.h"

#include <QTimer>

class TThread;
struct TReport;

class Report : public SubWindow
{
    Q_OBJECT

public:
    // parent is not used as the widget's parent: the window is created without one.
    Report(QWidget *parent, TThread *thread, bool connected);
    ~Report() override;
    bool busy() const override;

public Q_SLOTS:
    void Quit();
    void Default();
    void Test(bool on);
    void TestStt();
    void Conn(bool on);
    void SetData(TReport *rep);

private:
    // "Экспорт…": every value the window shows, as field,value CSV.
    void exportRecord();

    Ui::ReportClass ui;
    TThread *thread;
    QTimer *timer;
};
