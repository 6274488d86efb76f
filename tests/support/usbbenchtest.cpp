#include "usbbenchtest.h"

#include "umockdevice.h"

#include <QFileInfo>
#include <QTest>

void UsbBenchTest::initTestCase_data()
{
    UsbBench::addBackendRows();
}

void UsbBenchTest::initTestCase()
{
    qRegisterMetaType<UsbBench::Backend>();
    libusbReady = UsbBench::startBus(&skipReason);
}

void UsbBenchTest::cleanupTestCase()
{
    const QString root = UsbBench::bus() ? UsbBench::bus()->rootDir() : QString();
    UsbBench::stopBus();
    if (!root.isEmpty())
        QVERIFY2(!QFileInfo::exists(root), qPrintable(root));
}

void UsbBenchTest::init()
{
    const UsbBench::Backend backend = UsbBench::currentBackend();
    if (backend == UsbBench::Libusb && !libusbReady)
        QSKIP(qPrintable(skipReason));
    bench = std::make_unique<UsbBench>(backend);
    setUp();
}

void UsbBenchTest::cleanup()
{
    tearDown();
    bench.reset();
}
