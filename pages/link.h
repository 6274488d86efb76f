#pragma once
// The link page "Протокол": packet size, retry counters, window size and timers of the link
// protocol, sent live as the whole section with parameter command 10.

#include "pages/page.h"
#include "ui_link.h"

class Link : public LivePage
{
    Q_OBJECT

public:
    // model: the model code word of the working copy (it chooses the default T0); section:
    // the 20-byte link section (image offset 144) of the working copy.
    Link(TThread *thread, const quint8 *model, quint8 *section, int mode, bool connected,
         QWidget *parent = nullptr);

public Q_SLOTS:
    void SpinN1(int a);
    void SpinN2(int a);
    void SpinN3(int a);
    void SpinK(int a);
    void ChkAck(bool on);
    void SpinT0(int a);
    void SpinT1(int a);
    void SpinT2(int a);
    void SpinT3(int a);
    void ChkTmr(bool on);

protected:
    void writeDefaults() override;
    void Load() override;
    void Store() override;
    void connectControls() override;
    void sendGroups(int mask) override;

private:
    void showLossTime();

    Ui::LinkClass ui;
    quint16 modelCode;
    quint8 *sec;
};
