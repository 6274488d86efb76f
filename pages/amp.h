#pragma once
// The LF amplifier page "Усилитель НЧ": gain step and modulation type, sent live one byte
// per change.

#include "pages/page.h"
#include "ui_amp.h"

class Amp : public LivePage
{
    Q_OBJECT

public:
    // section: the 4-byte amplifier section (image offset 118) of the working copy.
    Amp(TThread *thread, quint8 *section, int mode, bool connected, QWidget *parent = nullptr);

public Q_SLOTS:
    void setGain(int v);

protected:
    void writeDefaults() override;
    void Load() override;
    void Store() override;
    void connectControls() override;
    void sendGroups(int mask) override;

private:
    Ui::AmpClass ui;
    quint8 *sec;
};
