#pragma once
// The input pages: one analogue input path of the codec each, with its channel mixer, the
// amplifier in fixed-gain or AGC mode, the AGC's level, speeds, detection delays and noise gate.
// Both pages share this implementation; pages/inputmodel.h holds their registers, defaults and
// conversions.

#include "pages/models/inputmodel.h"
#include "pages/page.h"
#include "ui_input.h"
#include "ui_receiver.h"

class QDial;
class QDoubleSpinBox;
class QGroupBox;
class QLineEdit;
class QRadioButton;
class QCheckBox;

class InputPage : public LivePage
{
    Q_OBJECT

public Q_SLOTS:
    void DialL1(int v);
    void DialL2(int v);
    void SpinL1(double x);
    void SpinL2(double x);
    void ChkAmp(bool on);
    void ChkPga(bool on);
    void ChkAgc(bool on);
    void DialGain(int v);
    void SpinGain(double x);
    void DialAgcLvl(int t);
    void SpinAgcLvl(double x);
    void DialAgcGain(int v);
    void SpinAgcGain(double x);
    void DialAttack(int v);
    void DialDecay(int v);
    void DialNoiseLvl(int v);
    void DialSignalDet(int v);
    void DialNoiseDet(int v);

protected:
    InputPage(InputModel::Input input, TThread *thread, quint8 *section, QWidget *parent);

    // Last step of a page's constructor, once its form is built: finds the controls, writes the
    // register bytes, then Page setUp. `speedBox` is the form's name of the AGC speed group.
    void init(int mode, bool connected, const char *speedBox);

    void writeDefaults() override;
    void Load() override;
    void Store() override;
    void connectControls() override;
    void sendGroups(int mask) override;

    // Controls of the form, by the names both forms share.
    struct Controls
    {
        QGroupBox *boxLine1, *boxLine2, *boxAmp, *boxGain, *boxAgcLvl, *boxAgcGain, *boxSpeed,
            *boxAgcDelay;
        QDial *dialLine1, *dialLine2, *dialGain, *dialAgcLvl, *dialAgcGain, *dialDecay, *dialAttack,
            *dialDetNoise, *dialDetSignal, *dialNoiseLvl;
        QDoubleSpinBox *spinLine1, *spinLine2, *spinGain, *spinAgcLvl, *spinAgcGain;
        QLineEdit *lineDecay, *lineAttack, *lineDetNoise, *lineDetSignal, *lineNoiseLvl;
        QRadioButton *radioPga, *radioAgc;
        std::array<QRadioButton *, 4> radioNoiseGate;
        QCheckBox *checkClip;
        QWidget *tabAgc;
    };
    Controls c {};

private:
    const InputModel::Profile &profile;
    quint8 *sec;
};

// "Входной усилитель": the modem's receive input. Outside mode 10 only the main line and the
// noise settings can be changed.
class Receiver : public InputPage
{
    Q_OBJECT

public:
    Receiver(TThread *thread, quint8 *section, int mode, bool connected, QWidget *parent = nullptr);

protected:
    void connectControls() override;

private:
    Ui::ReceiverClass ui;
};

// "Вход микрофона" (K-330RA), "Вход приемника" (K-330RB): the radio's input.
class InpRadio : public InputPage
{
    Q_OBJECT

public:
    InpRadio(TThread *thread, const quint8 *model, quint8 *section, int mode, bool connected,
             QWidget *parent = nullptr);

private:
    Ui::InputClass ui;
};
