#pragma once
// The codec register page "Кодек": the start-up values of twelve codec registers, bit by
// bit. It has no live test mode; its values reach the controller with the whole image.

#include "pages/models/codecmodel.h"
#include "pages/page.h"
#include "ui_codec.h"

class QCheckBox;

class Codec : public Page
{
    Q_OBJECT

public:
    // section: the 30-byte codec section (image offset 2) of the working copy.
    Codec(quint8 *section, int mode, QWidget *parent = nullptr);

protected:
    void writeDefaults() override;
    void Load() override;
    void Store() override;

private:
    Ui::CodecClass ui;
    quint8 *sec;
    // boxes[i][b]: bit b of the i-th edited register.
    std::array<std::array<QCheckBox *, 8>, 12> boxes {};
};
