#include "pages/codec.h"

#include <QCheckBox>

Codec::Codec(quint8 *section, int mode, QWidget *parent)
    : Page(parent)
    , sec(section)
{
    ui.setupUi(this);
    const auto &regs = CodecModel::editedRegisters();
    for (size_t i = 0; i < regs.size(); ++i) {
        const quint8 settable = CodecModel::settableBits(regs[i]);
        for (int b = 0; b < 8; ++b) {
            auto *box = findChild<QCheckBox *>(QStringLiteral("chk%1_%2").arg(regs[i]).arg(b));
            Q_ASSERT(box);
            if (!(settable & (1 << b)))
                box->setCheckable(false);
            boxes[i][size_t(b)] = box;
        }
    }
    CodecModel::writeRegisters(sec);
    setUp(mode);
}

void Codec::writeDefaults()
{
    CodecModel::writeDefaults(sec);
}

void Codec::Load()
{
    const auto &regs = CodecModel::editedRegisters();
    for (size_t i = 0; i < regs.size(); ++i) {
        const quint8 value = sec[CodecModel::valueOffset(regs[i])];
        for (int b = 0; b < 8; ++b)
            boxes[i][size_t(b)]->setChecked(value & (1 << b));
    }
}

void Codec::Store()
{
    const auto &regs = CodecModel::editedRegisters();
    for (size_t i = 0; i < regs.size(); ++i) {
        int value = 0;
        for (int b = 0; b < 8; ++b)
            if (boxes[i][size_t(b)]->isChecked())
                value |= 1 << b;
        sec[CodecModel::valueOffset(regs[i])] = quint8(value);
    }
}
