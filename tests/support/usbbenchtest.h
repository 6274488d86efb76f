#pragma once
// Base of the suites that run every case on both transports: the emulated bus for the whole
// suite, a fresh UsbBench for each case, and the skip of the libusb rows where the bus cannot
// run. A suite adds its own objects in setUp() and drops them in tearDown().

#include "usbbench.h"

#include <QObject>

class UsbBenchTest : public QObject
{
    Q_OBJECT

protected:
    // Called after the bench exists, before each case; a failed check here skips the case.
    virtual void setUp() { }
    // Called after each case, before the bench goes; destroy transports and threads here.
    virtual void tearDown() { }

    std::unique_ptr<UsbBench> bench;

private Q_SLOTS:
    void initTestCase_data();
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

private:
    bool libusbReady = false;
    QString skipReason;
};
