#include "pages/link.h"

#include "device/tthread.h"
#include "pages/models/linkmodel.h"
#include "pages/models/sectionwords.h"

namespace {
constexpr int LinkGroup = 1;
} // namespace

Link::Link(TThread *thread, const quint8 *model, quint8 *section, int mode, bool connected,
           QWidget *parent)
    : LivePage(thread, DefaultDebounceMs, parent)
    , modelCode(SectionWords::get(model, 0))
    , sec(section)
{
    ui.setupUi(this);
    ui.lT1_0->hide();
    ui.lT1_1->hide();
    ui.sT2->setMaximum(ui.sT1->value());
    setUp(mode, connected);
}

void Link::SpinN1(int a)
{
    ui.sN1->setValue(LinkModel::quantiseN1(a));
}

void Link::SpinN2(int) { }

void Link::SpinN3(int)
{
    showLossTime();
}

void Link::SpinK(int) { }

void Link::ChkAck(bool) { }

void Link::SpinT0(int a)
{
    ui.sT0->setValue(LinkModel::quantiseMs(a));
}

void Link::SpinT1(int a)
{
    const int t1 = LinkModel::quantiseMs(a);
    ui.sT1->setValue(t1);
    // T2 never exceeds T1: lowering T1 pulls T2 down with it.
    ui.sT2->setMaximum(t1);
}

void Link::SpinT2(int a)
{
    ui.sT2->setValue(LinkModel::quantiseMs(a));
}

void Link::SpinT3(int a)
{
    ui.sT3->setValue(LinkModel::quantiseMs(a));
    showLossTime();
}

void Link::ChkTmr(bool on)
{
    ui.lT1->setText(on ? ui.lT1_1->text() : ui.lT1_0->text());
}

void Link::showLossTime()
{
    ui.eErr->setText(QString::number(LinkModel::lossMs(ui.sT3->value(), ui.sN3->value())));
}

void Link::writeDefaults()
{
    LinkModel::writeDefaults(sec, modelCode);
}

void Link::Load()
{
    const LinkModel::Values v = LinkModel::load(sec);
    ui.sN1->setValue(v.n1Bytes);
    ui.sN2->setValue(v.n2);
    ui.sN3->setValue(v.n3);
    ui.sK->setValue(v.k);
    ui.chkAck->setChecked(v.ack);
    ui.chkTmr->setChecked(v.adaptive);
    ui.sT0->setValue(v.t0Ms);
    ui.sT1->setValue(v.t1Ms);
    SpinT1(ui.sT1->value()); // the T2 limit, also where T1 did not change
    ui.sT2->setValue(v.t2Ms);
    ui.sT3->setValue(v.t3Ms);
    ChkTmr(ui.chkTmr->isChecked());
    showLossTime();
}

void Link::Store()
{
    LinkModel::Values v;
    v.n1Bytes = ui.sN1->value();
    v.n2 = ui.sN2->value();
    v.n3 = ui.sN3->value();
    v.k = ui.sK->value();
    v.t0Ms = ui.sT0->value();
    v.t1Ms = ui.sT1->value();
    v.t2Ms = ui.sT2->value();
    v.t3Ms = ui.sT3->value();
    v.ack = ui.chkAck->isChecked();
    v.adaptive = ui.chkTmr->isChecked();
    LinkModel::store(sec, v);
}

void Link::connectControls()
{
    connect(ui.sN1, &QSpinBox::valueChanged, this, &Link::SpinN1);
    connect(ui.sN2, &QSpinBox::valueChanged, this, &Link::SpinN2);
    connect(ui.sN3, &QSpinBox::valueChanged, this, &Link::SpinN3);
    connect(ui.sK, &QSpinBox::valueChanged, this, &Link::SpinK);
    connect(ui.chkAck, &QCheckBox::toggled, this, &Link::ChkAck);
    connect(ui.sT0, &QSpinBox::valueChanged, this, &Link::SpinT0);
    connect(ui.sT1, &QSpinBox::valueChanged, this, &Link::SpinT1);
    connect(ui.sT2, &QSpinBox::valueChanged, this, &Link::SpinT2);
    connect(ui.sT3, &QSpinBox::valueChanged, this, &Link::SpinT3);
    connect(ui.chkTmr, &QCheckBox::toggled, this, &Link::ChkTmr);

    for (QSpinBox *s : {ui.sN1, ui.sN2, ui.sN3, ui.sK, ui.sT0, ui.sT1, ui.sT2, ui.sT3})
        watch(s, LinkGroup);
    watch(ui.chkAck, LinkGroup);
    watch(ui.chkTmr, LinkGroup);
}

void Link::sendGroups(int mask)
{
    if (mask & LinkGroup) {
        const auto words = SectionWords::hostWords<LinkModel::Words>(sec);
        thread()->reqParam10(words.data(), LinkModel::Size);
    }
}
