#pragma once
// The modem page "Соединение": transmit and receive levels, tone settings and the error-gain
// loops of the modem, sent live as the whole section with parameter command 11.

#include "pages/page.h"
#include "ui_modem.h"

class Modem : public LivePage
{
    Q_OBJECT

public:
    // model: the model code word of the working copy; section: the 18-byte modem section
    // (image offset 164) of the working copy.
    Modem(TThread *thread, const quint8 *model, quint8 *section, int mode, bool connected,
          QWidget *parent = nullptr);

public Q_SLOTS:
    void DialLvl(int v);
    void DialTone(int v);
    void DialGain(int v);
    void ChkOutCalc(bool on);
    void ChkInpCalc(bool on);
    void OutGErr(double x);
    void InpGErr(double x);
    void InpTone(double x);
    void OutRef(int r);
    void InpRef(int r);

protected:
    void writeDefaults() override;
    void Load() override;
    void Store() override;
    void connectControls() override;
    void sendGroups(int mask) override;

private:
    Ui::MConnClass ui;
    quint16 modelCode;
    quint8 *sec;
};
