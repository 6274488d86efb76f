#pragma once
// The output pages: a mixer of four channels (Dac1, Pga1, Dac2, Pga2) in front of one output
// amplifier of the codec, each channel with its on/off box and attenuation dial. The five pages
// share this implementation; a table row (pages/outputmodel.h) gives each its section,
// registers, amplifier codes, defaults and what its test mode sends.

#include "pages/models/outputmodel.h"
#include "pages/page.h"
#include "ui_output.h"
#include "ui_recorder.h"
#include "ui_transmitter.h"

class QDial;
class QGroupBox;
class QLineEdit;
class QSpinBox;

class OutputPage : public LivePage
{
    Q_OBJECT

public Q_SLOTS:
    void DialDac1(int v);
    void DialPga1(int v);
    void DialDac2(int v);
    void DialPga2(int v);
    void DialAmp(int a);
    void SpinAmp(int a);

protected:
    // model: the model word of the working copy (read once); section: the mixer section.
    OutputPage(OutputModel::Output output, TThread *thread, const quint8 *model, quint8 *section,
               QWidget *parent);

    // Last step of a page's constructor, once its form is built: finds the controls, writes the
    // register bytes, applies the titles of the model, then Page setUp.
    void init(int mode, bool connected);

    void writeDefaults() override;
    void Load() override;
    void Store() override;
    void connectControls() override;
    void sendGroups(int mask) override;

    quint16 model() const { return modelCode; }
    quint8 *section() const { return sec; }

    // Group bits of the test mode.
    static constexpr int Pair1Group = 0x01;
    static constexpr int Pair0Group = 0x02;
    static constexpr int AmpGroup = 0x10;

private:
    struct Channel
    {
        int pair;
        int group;
        QGroupBox *box;
        QDial *dial;
        QLineEdit *line;
    };

    const OutputModel::Profile &profile;
    quint16 modelCode;
    quint8 *sec;
    // In test-mode order: Dac1 (pair 1), Pga1 (pair 0), Dac2 (pair 3), Pga2 (pair 2).
    std::array<Channel, 4> channels {};
    QGroupBox *boxAmp = nullptr;
    QDial *dialAmp = nullptr;
    QSpinBox *spinAmp = nullptr;
};

// "Выходной усилитель": the modem's transmit output.
class Transmitter : public OutputPage
{
    Q_OBJECT

public:
    Transmitter(TThread *thread, const quint8 *model, quint8 *section, int mode, bool connected,
                QWidget *parent = nullptr);

private:
    Ui::TransmitterClass ui;
};

// "Выход приемника" (K-330RA) and "Выход микрофона" (K-330RB): the radio's output. An image of
// any other model has no such output: the page closes at once.
class OutRadio : public OutputPage
{
    Q_OBJECT

public:
    OutRadio(TThread *thread, const quint8 *model, quint8 *section, int mode, bool connected,
             QWidget *parent = nullptr);

private:
    Ui::OutputClass ui;
};

// "Выход гарнитуры": the headset output.
class OutExt : public OutputPage
{
    Q_OBJECT

public:
    OutExt(TThread *thread, const quint8 *model, quint8 *section, int mode, bool connected,
           QWidget *parent = nullptr);

private:
    Ui::OutputClass ui;
};

// "Выход аксессуарный": the accessory output.
class OutAcc : public OutputPage
{
    Q_OBJECT

public:
    OutAcc(TThread *thread, const quint8 *model, quint8 *section, int mode, bool connected,
           QWidget *parent = nullptr);

private:
    Ui::OutputClass ui;
};

// "Регистратор": the recorder output, and the recorder's control lines and receive level
// (the 6-byte recorder section at image offset 122).
class OutRec : public OutputPage
{
    Q_OBJECT

public:
    OutRec(TThread *thread, const quint8 *model, quint8 *section, quint8 *recorder, int mode,
           bool connected, QWidget *parent = nullptr);

public Q_SLOTS:
    void DialVol(int a);
    void SpinVol(int a);

protected:
    void writeDefaults() override;
    void Load() override;
    void Store() override;
    void connectControls() override;
    void sendGroups(int mask) override;

private:
    static constexpr int RecorderGroup = 0x20;

    Ui::RecorderClass ui;
    quint8 *rec;
};
