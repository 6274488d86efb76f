#pragma once
// Behaviour every configuration page shares: construction for editing or only for writing
// defaults, the common buttons, and (LivePage) the debounced live test mode.
//
// A page class derives from Page (no live test mode) or LivePage, builds its form, stores its
// section pointers and ends its constructor with setUp(). It supplies writeDefaults(), Load()
// and Store(); a LivePage also registers its controls with watch() in connectControls() and
// queues its requests in sendGroups(). writeDefaults() calls the widget-free writer of the
// page's model, the same one its window's row (config/windows.cpp) gives a new image.

#include "config/widgets/subwindow.h"

class QAbstractButton;
class QAbstractSlider;
class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QSignalMapper;
class QSpinBox;
class QTimer;
class TThread;

// A sub-window that edits sections of the working copy in place, with the buttons
// "Сброс" (bReset), "Сохранить" (bSave) and "Закрыть" (bClose).
class Page : public SubWindow
{
    Q_OBJECT

public:
    // Operating mode the page was built in; 0 means it only wrote its defaults.
    int mode() const { return pageMode; }

public Q_SLOTS:
    void Quit();
    void Save();
    void Default();

protected:
    explicit Page(QWidget *parent = nullptr);

    // Last step of a page's constructor. Mode 0: write the defaults and close. Otherwise
    // connect the common buttons, let the page connect its controls, and fill them.
    void setUp(int mode);

    // Writes the block's default values into the section(s).
    virtual void writeDefaults() = 0;
    // Moves values from the section(s) to the controls, and back.
    virtual void Load() = 0;
    virtual void Store() = 0;
    // Interactive mode only: connect the controls' own slots, register controls for the
    // live test mode, apply visibility rules.
    virtual void connectControls() { }

    // A button of the form by object name; the common buttons must exist.
    QAbstractButton *formButton(const char *name) const;

private:
    int pageMode = 1;
};

// A page with the live test mode "Контроль" (bTest): while it is on, every change of a
// registered control marks its group bits, and the marked groups go to the controller
// once the controls have been still for the debounce interval.
class LivePage : public Page
{
    Q_OBJECT

public:
    static constexpr int DefaultDebounceMs = 250;

    int debounceMs() const { return debounce; }
    bool testMode() const { return testOn; }
    bool busy() const override { return testOn; }

public Q_SLOTS:
    void Test(bool on);
    void TestSet(int bits);
    void TestStt();
    void Conn(bool c);

protected:
    LivePage(TThread *thread, int debounceMs = DefaultDebounceMs, QWidget *parent = nullptr);

    // As Page::setUp; in interactive mode also follows the thread's connection state and
    // enables bTest exactly when the controller is connected.
    void setUp(int mode, bool connected);

    // Registers a control: its change signal marks `bits` while test mode is on.
    void watch(QAbstractSlider *control, int bits);
    void watch(QSpinBox *control, int bits);
    void watch(QDoubleSpinBox *control, int bits);
    void watch(QAbstractButton *control, int bits);
    void watch(QComboBox *control, int bits);
    void watch(QGroupBox *control, int bits); // a checkable group box

    // Queues the requests of the groups in `mask` (ascending bit order); the section(s)
    // already hold the controls' values.
    virtual void sendGroups(int mask) = 0;

    TThread *thread() const { return thr; }

private:
    void mapControl(QObject *control, int bits);

    TThread *thr;
    int debounce;
    QTimer *timer;
    QSignalMapper *mapper;
    QAbstractButton *bTest = nullptr;
    int mask = 0; // group bits changed since the last transmission
    bool testOn = false;
};
