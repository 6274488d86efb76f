#pragma once
// The vocoder page "Вокодер": encoder modes, coding rate, packet size and gains, and the
// decoder's jitter buffer. Sent live as two blocks: the encoder with parameter command 8, the
// decoder with parameter command 9.

#include "pages/page.h"
#include "ui_vocoder.h"

class Voc : public LivePage
{
    Q_OBJECT

public:
    // model: the model code word of the working copy; encoder, decoder: the 10-byte section
    // at image offset 128 and the 6-byte section at 138 of the working copy.
    Voc(TThread *thread, const quint8 *model, quint8 *encoder, quint8 *decoder, int mode,
        bool connected, QWidget *parent = nullptr);

public Q_SLOTS:
    // VAD and VBR exclude each other: switching one on switches the other off.
    void VadSet(bool on);
    void VbrSet(bool on);

protected:
    void writeDefaults() override;
    void Load() override;
    void Store() override;
    void connectControls() override;
    void sendGroups(int mask) override;

private:
    Ui::VocoderClass ui;
    quint16 modelCode;
    quint8 *enc;
    quint8 *dec;
};
