// One contract for every USB transport: each case runs against the simulated transport and
// against the libusb backend reaching the same model through an emulated USB device.

#include "device/configprotocol.h"
#include "device/controllers.h"
#include "device/usbtransport.h"
#include "queuedspy.h"
#include "umockdevice.h"
#include "usbbenchtest.h"

#include <QElapsedTimer>
#include <QTest>

#include <thread>

Q_DECLARE_METATYPE(SimController::Fault)

namespace {

QByteArray words(std::initializer_list<quint16> values)
{
    QByteArray out;
    for (quint16 w : values) {
        out.append(char(w >> 8));
        out.append(char(w & 0xFF));
    }
    return out;
}

int write(UsbTransport &t, quint8 ep, const QByteArray &data, int timeoutMs = usb::TimeoutMs)
{
    return t.bulkWrite(ep, data.constData(), int(data.size()), timeoutMs);
}

// Reads into a buffer of `size` bytes; returns the result and leaves the bytes in *out.
int read(UsbTransport &t, quint8 ep, int size, QByteArray *out, int timeoutMs = usb::TimeoutMs)
{
    out->fill('\0', size);
    const int r = t.bulkRead(ep, out->data(), size, timeoutMs);
    out->truncate(qMax(0, r));
    return r;
}

// The port paths the transport lists, sorted, with the error number of each that cannot be
// opened ("1-2:-13").
QStringList listed(UsbTransport &t)
{
    QStringList out;
    for (const UsbPortInfo &p : t.list(usb::VendorId, usb::ProductId))
        out.append(p.openError ? QStringLiteral("%1:%2").arg(p.path).arg(p.openError) : p.path);
    out.sort();
    return out;
}

} // namespace

class TstUsbContract : public UsbBenchTest
{
    Q_OBJECT

private:
    std::unique_ptr<UsbTransport> link;

    // Opens the device with a configuration and claims interface 0, as openDevice does.
    bool openClaimed(int configuration = usb::ConfigNormal)
    {
        return link->open(usb::VendorId, usb::ProductId) == 0
            && link->setConfiguration(configuration) == 0
            && link->claimInterface(usb::Interface) == 0;
    }

    // Every controller on the bench's bus, identified as k330ctl list does it, by path.
    QMap<QString, ControllerIdentity> identifiedByPath()
    {
        QMap<QString, ControllerIdentity> out;
        for (const ControllerIdentity &c :
             identifyControllers([this] { return bench->makeTransport(); }))
            out.insert(c.path, c);
        return out;
    }

protected:
    void setUp() override
    {
        link = bench->makeTransport();
        QVERIFY(link);
    }

    void tearDown() override { link.reset(); }

private Q_SLOTS:
    void openWithConfiguration_data()
    {
        QTest::addColumn<int>("configuration");
        QTest::addColumn<quint8>("endpoint");
        QTest::addColumn<int>("prepared");
        QTest::newRow("normal, Ep1out") << 2 << usb::Ep1Out << 0;
        QTest::newRow("normal, Ep1in") << 2 << usb::Ep1In << 0;
        QTest::newRow("normal, Ep2in") << 2 << usb::Ep2In << 0;
        QTest::newRow("normal has no Ep6out") << 2 << usb::Ep6Out << int(usb::ErrNotFound);
        QTest::newRow("boot, Ep6out") << 1 << usb::Ep6Out << 0;
        QTest::newRow("boot has no Ep1out") << 1 << usb::Ep1Out << int(usb::ErrNotFound);
    }
    void openWithConfiguration()
    {
        QFETCH(int, configuration);
        QFETCH(quint8, endpoint);
        QFETCH(int, prepared);

        QVERIFY(link->isListed(usb::VendorId, usb::ProductId));
        QCOMPARE(link->open(usb::VendorId, usb::ProductId), 0);
        QVERIFY(link->isOpen());
        QCOMPARE(link->setConfiguration(configuration), 0);
        QCOMPARE(bench->model->activeConfiguration(), configuration);
        QCOMPARE(link->claimInterface(usb::Interface), 0);
        QCOMPARE(link->prepareEndpoint(endpoint), prepared);
        link->close();
        QVERIFY(!link->isOpen());
        link->close(); // harmless when closed
    }

    void productString_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("maxLength");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("the controller")
            << QByteArray("VELK K-330S") << 20 << QByteArray("VELK K-330S");
        QTest::newRow("another device")
            << QByteArray("K-330 boot") << 20 << QByteArray("K-330 boot");
        QTest::newRow("cut to the buffer")
            << QByteArray("VELK K-330S controller unit") << 20 << QByteArray("VELK K-330S control");
    }
    void productString()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, maxLength);
        QFETCH(QByteArray, expected);
        bench->model->setProductString(text);
        QCOMPARE(link->open(usb::VendorId, usb::ProductId), 0);
        QByteArray out;
        QCOMPARE(link->productString(&out, maxLength), int(expected.size()));
        QCOMPARE(out, expected);
    }

    void productStringFailureLeavesOutput()
    {
        bench->model->failStep(SimController::StepProductString, usb::ErrPipe);
        QCOMPARE(link->open(usb::VendorId, usb::ProductId), 0);
        QByteArray out = "earlier";
        QVERIFY(link->productString(&out, 20) < 0);
        QCOMPARE(out, QByteArray("earlier"));
    }

    void notListed_data()
    {
        QTest::addColumn<bool>("unplugged");
        QTest::addColumn<quint16>("product");
        QTest::newRow("unplugged") << true << usb::ProductId;
        QTest::newRow("other product") << false << quint16(0x9002);
    }
    void notListed()
    {
        QFETCH(bool, unplugged);
        QFETCH(quint16, product);
        if (unplugged) {
            bench->model->unplug();
        } else {
            // A different device on the bus: a new plug carries the new identity.
            bench->model->unplug();
            bench->model->setIdentity(usb::VendorId, product);
            bench->model->plug();
            QTRY_VERIFY(link->isListed(usb::VendorId, product));
        }
        QVERIFY(!link->isListed(usb::VendorId, usb::ProductId));
        QCOMPARE(link->open(usb::VendorId, usb::ProductId), int(UsbTransport::NotListed));
        QVERIFY(!link->isOpen());
    }

    // Set-up refusals keep their numbers across the whole stack.
    void setupErrors_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("error");
        QTest::newRow("configuration busy")
            << int(SimController::StepSetConfiguration) << int(usb::ErrBusy);
        QTest::newRow("configuration not found")
            << int(SimController::StepSetConfiguration) << int(usb::ErrNotFound);
        QTest::newRow("configuration, device gone")
            << int(SimController::StepSetConfiguration) << int(usb::ErrNoDevice);
        QTest::newRow("claim busy") << int(SimController::StepClaim) << int(usb::ErrBusy);
        QTest::newRow("claim not found") << int(SimController::StepClaim) << int(usb::ErrNotFound);
    }
    void setupErrors()
    {
        QFETCH(int, step);
        QFETCH(int, error);
        bench->model->failStep(SimController::Step(step), error);
        QCOMPARE(link->open(usb::VendorId, usb::ProductId), 0);
        const int r = step == SimController::StepClaim
            ? (link->setConfiguration(usb::ConfigNormal), link->claimInterface(usb::Interface))
            : link->setConfiguration(usb::ConfigNormal);
        QCOMPARE(r, error);
    }

    // A configuration the device does not have: the kernel refuses it with EINVAL, which
    // libusb reports as NOT_FOUND; the simulated controller answers the same.
    void unknownConfiguration()
    {
        QCOMPARE(link->open(usb::VendorId, usb::ProductId), 0);
        QCOMPARE(link->setConfiguration(3), int(usb::ErrNotFound));
    }

    void handshake_data()
    {
        QTest::addColumn<int>("payload");
        QTest::newRow("512") << 512;
        QTest::newRow("1024") << 1024;
        QTest::newRow("64") << 64;
    }
    void handshake()
    {
        QFETCH(int, payload);
        bench->model->setPayloadSize(quint16(payload));
        QVERIFY(openClaimed());
        QCOMPARE(write(*link, usb::Ep1Out, words({0x0000, 0x4000})), 4);
        QByteArray reply;
        QCOMPARE(read(*link, usb::Ep1In, 4, &reply), 4);
        QCOMPARE(reply, words({0x0000, quint16(payload)}));
        QCOMPARE(bench->model->moved(usb::Ep1Out), QList<QByteArray> {words({0, 0x4000})});
    }

    // Commands and their replies, byte for byte, including transfers larger than one packet.
    void roundTrip_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<int>("readSize");
        QTest::addColumn<QByteArray>("expected");

        const TDev ident {SimController::ModelRA, 0x0201, {0x1234, 0x5678, 0x9abc, 0xdef0}, 0x0042};
        QTest::newRow("identification") << words({1, 0, 0, 0}) << 520
                                        << words({1, 14, 0, 0, ident.model, ident.version, 0x1234,
                                                  0x5678, 0x9abc, 0xdef0, 0x0042});

        // Configuration memory: write 300 bytes at 0x0010 and read them back in one command.
        QByteArray pattern;
        for (int i = 0; i < 300; ++i)
            pattern.append(char(i * 7 + 3));
        const QByteArray writeCmd =
            words({3, 300, quint16(2 + pattern.size()), 0x50, 0x0010}) + pattern;
        QTest::newRow("memory write and read back, 308 bytes")
            << writeCmd << 520 << words({3, 300, quint16(2 + pattern.size()), 0x50}) + pattern;
        QTest::newRow("codec register")
            << words({3, 0, 2, 0x18, 0x0733}) << 520 << words({3, 0, 2, 0x18});
    }
    void roundTrip()
    {
        QFETCH(QByteArray, command);
        QFETCH(int, readSize);
        QFETCH(QByteArray, expected);
        QVERIFY(openClaimed());
        QCOMPARE(write(*link, usb::Ep1Out, command), int(command.size()));
        QByteArray reply;
        QCOMPARE(read(*link, usb::Ep1In, readSize, &reply), int(expected.size()));
        QCOMPARE(reply, expected);
        // The model saw the same bytes whichever transport carried them.
        QCOMPARE(bench->model->moved(usb::Ep1Out).value(0), command);
    }

    void streamOnEp2in()
    {
        QVERIFY(openClaimed());
        QByteArray frame(1024, '\0');
        for (int i = 0; i < frame.size(); ++i)
            frame[i] = char(i);
        bench->model->queueRead(usb::Ep2In, frame.left(600));
        bench->model->queueRead(usb::Ep2In, frame.mid(600));
        QByteArray part;
        QCOMPARE(read(*link, usb::Ep2In, 1024, &part), 600);
        QCOMPARE(part, frame.left(600));
        QCOMPARE(read(*link, usb::Ep2In, 1024, &part, 100), 424);
        QCOMPARE(part, frame.mid(600));
    }

    // A read that nothing answers fails with -110 once its own time-out has passed.
    void readTimesOut_data()
    {
        QTest::addColumn<int>("timeoutMs");
        QTest::newRow("100 ms") << 100;
        QTest::newRow("1000 ms") << 1000;
    }
    void readTimesOut()
    {
        QFETCH(int, timeoutMs);
        QVERIFY(openClaimed());
        QByteArray reply;
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(read(*link, usb::Ep1In, 64, &reply, timeoutMs), int(usb::ErrTimeout));
        const qint64 elapsed = clock.elapsed();
        QVERIFY2(elapsed >= timeoutMs - 20 && elapsed < timeoutMs + 1500,
                 qPrintable(QString::number(elapsed)));
        if (bench->backend == UsbBench::Libusb)
            QCOMPARE(UsbBench::bus()->discardedUrbs() > 0, true);

        // The endpoint still works: the next command gets its own answer, not a stale one.
        QCOMPARE(write(*link, usb::Ep1Out, words({0, 0x4000})), 4);
        QCOMPARE(read(*link, usb::Ep1In, 4, &reply), 4);
        QCOMPARE(reply, words({0, 512}));
    }

    // Scripted faults of the device reach the caller unchanged.
    void transferFaults_data()
    {
        QTest::addColumn<bool>("onRead");
        QTest::addColumn<SimController::Fault>("fault");
        QTest::addColumn<int>("expected");
        using F = SimController::Fault;
        QTest::newRow("write: I/O error") << false << F::error(usb::ErrIo) << int(usb::ErrIo);
        QTest::newRow("write: stall") << false << F::error(usb::ErrPipe) << int(usb::ErrPipe);
        QTest::newRow("write: no device")
            << false << F::error(usb::ErrNoDevice) << int(usb::ErrNoDevice);
        QTest::newRow("write: time-out") << false << F::timeout() << int(usb::ErrTimeout);
        QTest::newRow("write: short") << false << F::shortened(2) << 2;
        QTest::newRow("read: I/O error") << true << F::error(usb::ErrIo) << int(usb::ErrIo);
        QTest::newRow("read: stall") << true << F::error(usb::ErrPipe) << int(usb::ErrPipe);
        QTest::newRow("read: overflow")
            << true << F::error(usb::ErrOverflow) << int(usb::ErrOverflow);
        QTest::newRow("read: no device")
            << true << F::error(usb::ErrNoDevice) << int(usb::ErrNoDevice);
        QTest::newRow("read: time-out") << true << F::timeout() << int(usb::ErrTimeout);
        QTest::newRow("read: short") << true << F::shortened(3) << 3;
        QTest::newRow("read: empty") << true << F::empty() << 0;
        QTest::newRow("read: reply longer than the buffer")
            << true << F::replace(QByteArray(8, 'x')) << int(usb::ErrOverflow);
    }
    void transferFaults()
    {
        QFETCH(bool, onRead);
        QFETCH(SimController::Fault, fault);
        QFETCH(int, expected);
        bench->model->setTimeoutWait(50);
        QVERIFY(openClaimed());
        bench->model->failNext(onRead ? usb::Ep1In : usb::Ep1Out, fault);
        const int w = write(*link, usb::Ep1Out, words({0, 0x4000}), 200);
        QByteArray reply;
        if (!onRead) {
            QCOMPARE(w, expected);
            return;
        }
        QCOMPARE(w, 4);
        QCOMPARE(read(*link, usb::Ep1In, 4, &reply, 200), expected);
    }

    // The device leaves while open: every operation reports NO_DEVICE, a removal error.
    void unplugWhileOpen()
    {
        QVERIFY(openClaimed());
        bench->model->unplug();
        QByteArray reply;
        const int w = write(*link, usb::Ep1Out, words({0, 0x4000}));
        const int r = read(*link, usb::Ep1In, 4, &reply);
        QCOMPARE(w, int(usb::ErrNoDevice));
        QCOMPARE(r, int(usb::ErrNoDevice));
        QVERIFY(usb::isRemovalError(w));
        QTRY_VERIFY(!link->isListed(usb::VendorId, usb::ProductId));
        link->close();
        QCOMPARE(link->open(usb::VendorId, usb::ProductId), int(UsbTransport::NotListed));
    }

    // A read waiting for data ends with NO_DEVICE as soon as the device leaves.
    void unplugDuringRead()
    {
        QVERIFY(openClaimed());
        int result = 0;
        QElapsedTimer clock;
        clock.start();
        std::thread reader([&] {
            QByteArray reply;
            result = read(*link, usb::Ep1In, 64, &reply, 3000);
        });
        QTest::qWait(150);
        bench->model->unplug();
        reader.join();
        QCOMPARE(result, int(usb::ErrNoDevice));
        QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
    }

    void replug()
    {
        QVERIFY(openClaimed());
        bench->model->unplug();
        QTRY_VERIFY(!link->isListed(usb::VendorId, usb::ProductId));
        link->close();
        bench->model->plug();
        QTRY_VERIFY(link->isListed(usb::VendorId, usb::ProductId));
        QVERIFY(openClaimed());
        QCOMPARE(write(*link, usb::Ep1Out, words({0, 0x4000})), 4);
        QByteArray reply;
        QCOMPARE(read(*link, usb::Ep1In, 4, &reply), 4);
        QCOMPARE(reply, words({0, 512}));
    }

    // Three controllers on one bus, one behind a hub: each is listed at its own port path, opens
    // by that path alone and answers as itself, also when all have one processor serial.
    void severalControllers_data()
    {
        QTest::addColumn<bool>("sameSerial");
        QTest::newRow("own serials") << false;
        QTest::newRow("one serial") << true;
    }
    void severalControllers()
    {
        QFETCH(bool, sameSerial);
        const QStringList paths {"1-1", "1-2", "1-4.1"};
        const QList<std::shared_ptr<SimController>> models {
            bench->model, bench->addController(paths[1]), bench->addController(paths[2])};
        for (int i = 0; i < 3; ++i) {
            models[i]->setCpuSerial({0x1000, 0x2000, 0x3000, quint16(sameSerial ? 7 : i)});
            models[i]->setMemory(0, QByteArray(1, char(0x40 + i)));
        }
        QTRY_COMPARE(listed(*link), paths);
        for (int i = 2; i >= 0; --i) {
            link->setPortPath(paths[i]);
            QVERIFY(link->isListed(usb::VendorId, usb::ProductId));
            QVERIFY(openClaimed());
            QCOMPARE(listed(*link), paths); // the open one counts as openable
            QCOMPARE(write(*link, usb::Ep1Out, configuration::memoryRead(1, 0)), 10);
            QByteArray reply;
            QCOMPARE(read(*link, usb::Ep1In, 64, &reply), 9);
            QCOMPARE(reply.at(8), char(0x40 + i));
            link->close();
        }
        const QMap<QString, ControllerIdentity> ids = identifiedByPath();
        QCOMPARE(ids.keys(), paths);
        for (int i = 0; i < 3; ++i) {
            QVERIFY2(ids[paths[i]].identified(), qPrintable(ids[paths[i]].reason));
            QCOMPARE(ids[paths[i]].serialText(),
                     QStringLiteral("0x100020003000%1").arg(sameSerial ? 7 : i));
        }
    }

    // A controller pulled out and plugged into another socket is the same unit (its serial)
    // at a new path; a transport that chose the old path no longer finds it.
    void replugIntoAnotherSocket()
    {
        bench->addController(QStringLiteral("1-2"))->setCpuSerial({1, 2, 3, 0xABCD});
        link->setPortPath(QStringLiteral("1-2"));
        QTRY_VERIFY(link->isListed(usb::VendorId, usb::ProductId));
        bench->moveController(QStringLiteral("1-2"), QStringLiteral("1-3"));
        QTRY_COMPARE(listed(*link), QStringList({"1-1", "1-3"}));
        QVERIFY(!link->isListed(usb::VendorId, usb::ProductId));
        QCOMPARE(link->open(usb::VendorId, usb::ProductId), int(UsbTransport::NotListed));
        QCOMPARE(identifiedByPath().value(QStringLiteral("1-3")).serialText(),
                 QStringLiteral("0x123ABCD"));
    }

    // A controller that cannot be opened or claimed is listed with the reason, in the
    // program log's words, beside one that answers.
    void unusableController_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("listing");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no access")
            << int(SimController::StepOpen) << int(usb::ErrAccess) << "1-2:-13"
            << "Нет доступа к контроллеру на шине USB (права доступа), "
               "Error=-13";
        QTest::newRow("busy") << int(SimController::StepClaim) << int(usb::ErrBusy) << "1-2"
                              << "Интерфейс контроллера не доступен";
    }
    void unusableController()
    {
        QFETCH(int, step);
        QFETCH(int, error);
        QFETCH(QString, listing);
        QFETCH(QString, reason);
        if (step == SimController::StepOpen && bench->backend == UsbBench::Libusb)
            QSKIP("the emulated node cannot refuse to be opened");
        bench->addController(QStringLiteral("1-2"))->failStep(SimController::Step(step), error);
        QTRY_COMPARE(listed(*link), QStringList({"1-1", listing}));
        const QMap<QString, ControllerIdentity> ids = identifiedByPath();
        QVERIFY(ids.value(QStringLiteral("1-1")).identified());
        QCOMPARE(ids.value(QStringLiteral("1-2")).reason, reason);
    }

    // Arrival and departure raise deviceChanged (from whatever thread watches the bus).
    void hotplugNotifications()
    {
        QueuedSpy changes(link.get(), &UsbTransport::deviceChanged);
        QVERIFY(link->watch(usb::VendorId, usb::ProductId));
        QTest::qWait(50);
        changes.calls.clear();
        bench->model->unplug();
        QTRY_VERIFY(changes.size() >= 1);
        QTRY_VERIFY(!link->isListed(usb::VendorId, usb::ProductId));
        const qsizetype afterDeparture = changes.size();
        bench->model->plug();
        QTRY_VERIFY(changes.size() > afterDeparture);
        QTRY_VERIFY(link->isListed(usb::VendorId, usb::ProductId));
    }
};

QTEST_GUILESS_MAIN(TstUsbContract)
#include "tst_usbcontract.moc"
