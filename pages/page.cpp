#include "pages/page.h"

#include "config/modes.h"
#include "device/tthread.h"
#include "pages/dialcontrols.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QSignalMapper>
#include <QSpinBox>
#include <QTimer>

Page::Page(QWidget *parent)
    : SubWindow(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    // A page built only to write defaults is closed unseen; that must never end the program.
    setAttribute(Qt::WA_QuitOnClose, false);
}

QAbstractButton *Page::formButton(const char *name) const
{
    auto *b = findChild<QAbstractButton *>(QLatin1String(name));
    Q_ASSERT_X(b, "Page::formButton", name);
    return b;
}

void Page::setUp(int mode)
{
    pageMode = mode;
    if (OperatingMode(mode) == OperatingMode::DefaultsOnly) {
        Default();
        close();
        return;
    }
    connect(formButton("bReset"), &QAbstractButton::clicked, this, &Page::Default);
    connect(formButton("bSave"), &QAbstractButton::clicked, this, &Page::Save);
    connect(formButton("bClose"), &QAbstractButton::clicked, this, &Page::Quit);
    connectControls();
    setUpDialControls(this);
    Load();
}

void Page::Quit()
{
    requestClose(false);
}

void Page::Save()
{
    Store();
    requestClose(true);
}

void Page::Default()
{
    writeDefaults();
    Load();
}

LivePage::LivePage(TThread *thread, int debounceMs, QWidget *parent)
    : Page(parent)
    , thr(thread)
    , debounce(debounceMs)
    , timer(new QTimer(this))
    , mapper(new QSignalMapper(this))
{
    // A coarse timer may fire up to 5 % early; the pause after the last change is a promise.
    timer->setTimerType(Qt::PreciseTimer);
}

void LivePage::setUp(int mode, bool connected)
{
    if (OperatingMode(mode) != OperatingMode::DefaultsOnly) {
        bTest = formButton("bTest");
        bTest->setEnabled(connected);
        connect(bTest, &QAbstractButton::toggled, this, &LivePage::Test);
        if (thr)
            connect(thr, &TThread::conn, this, &LivePage::Conn);
    }
    Page::setUp(mode);
}

void LivePage::mapControl(QObject *control, int bits)
{
    mapper->setMapping(control, bits);
}

void LivePage::watch(QAbstractSlider *control, int bits)
{
    connect(control, &QAbstractSlider::valueChanged, mapper, qOverload<>(&QSignalMapper::map));
    mapControl(control, bits);
}

void LivePage::watch(QSpinBox *control, int bits)
{
    connect(control, &QSpinBox::valueChanged, mapper, qOverload<>(&QSignalMapper::map));
    mapControl(control, bits);
}

void LivePage::watch(QDoubleSpinBox *control, int bits)
{
    connect(control, &QDoubleSpinBox::valueChanged, mapper, qOverload<>(&QSignalMapper::map));
    mapControl(control, bits);
}

void LivePage::watch(QAbstractButton *control, int bits)
{
    connect(control, &QAbstractButton::toggled, mapper, qOverload<>(&QSignalMapper::map));
    mapControl(control, bits);
}

void LivePage::watch(QComboBox *control, int bits)
{
    connect(control, &QComboBox::currentIndexChanged, mapper, qOverload<>(&QSignalMapper::map));
    mapControl(control, bits);
}

void LivePage::watch(QGroupBox *control, int bits)
{
    connect(control, &QGroupBox::toggled, mapper, qOverload<>(&QSignalMapper::map));
    mapControl(control, bits);
}

void LivePage::Test(bool on)
{
    mask = 0;
    timer->stop();
    if (on != testOn)
        Q_EMIT logLine(on ? tr("Режим контроля включен: ") + windowTitle()
                          : tr("Режим контроля выключен: ") + windowTitle());
    if (on) {
        // Only changes made from now on are sent.
        connect(timer, &QTimer::timeout, this, &LivePage::TestStt, Qt::UniqueConnection);
        connect(mapper, &QSignalMapper::mappedInt, this, &LivePage::TestSet, Qt::UniqueConnection);
        testOn = true;
        return;
    }
    // A change not sent yet is dropped.
    disconnect(timer, &QTimer::timeout, this, &LivePage::TestStt);
    disconnect(mapper, &QSignalMapper::mappedInt, this, &LivePage::TestSet);
    testOn = false;
    if (bTest)
        bTest->setChecked(false);
}

void LivePage::TestSet(int bits)
{
    timer->start(debounce);
    mask |= bits;
}

void LivePage::TestStt()
{
    timer->stop();
    Store();
    const int pending = mask;
    mask = 0;
    if (thr && pending)
        sendGroups(pending);
}

void LivePage::Conn(bool c)
{
    if (!bTest)
        return;
    bTest->setChecked(false);
    if (!c)
        Test(false);
    bTest->setEnabled(c);
}
