// The fault matrix's rows of the firmware load: on the connection (identification, the flash
// instructions and their replies, the read-back) and in boot mode (the opening steps and the
// stream of the file).

#include "faultmatrix.h"
#include "testsupport.h"

namespace matrix {
namespace {

constexpr int FileSize = 100;

// A flash instruction: command 2 with the instruction byte at offset 8.
Match flashOp(quint8 op)
{
    return [op](const QByteArray &p) {
        return word(p, 0) == 2 && p.size() > 8 && quint8(p[8]) == op;
    };
}

// A firmware load: exactly one of its signals; the flash holds the file when it succeeded, and
// the file it was given stays as it was. In boot mode no connection is open before or after.
class LoadDriver : public Driver
{
public:
    explicit LoadDriver(bool bootMode)
        : bootMode(bootMode)
    { }
    bool connectedFirst() const override { return !bootMode; }
    Afterwards afterwards() const override
    {
        return bootMode ? Afterwards::NeverOpened : Afterwards::AsFault;
    }
    void prepare(Run &run) override
    {
        file = randomBytes(FileSize, 5);
        fileCopy = QByteArray(file.constData(), file.size());
        done = watch(run, &TThread::loadStp);
        errors = watch(run, &TThread::loadErr);
    }
    void request(Run &run) override { run.thread.reqLoad(file.constData(), uint(file.size())); }
    void observe(Run &run) override
    {
        QVERIFY2(run.settle(), NotSettled);
        QCOMPARE(done->size() + errors->size(), 1);
        run.succeeded = done->size() == 1;
        if (*run.succeeded)
            QCOMPARE(run.sim.flashContents(0, FileSize), file);
        QCOMPARE(file, fileCopy);
    }

private:
    bool bootMode;
    QByteArray file;
    QByteArray fileCopy;
    std::unique_ptr<QueuedSpy> done;
    std::unique_ptr<QueuedSpy> errors;
};

// clang-format off
QList<Row> flashRows()
{
    const MakeDriver load = make<LoadDriver>(false);
    const MakeDriver boot = make<LoadDriver>(true);
    // outcomes:    error gone-5 gone-6 short empty echo time-out
    return identificationRows("firmware load", load) + QList<Row> {
        {"firmware load: status request", load, out(flashOp(0x05)),
                        sent, "Ошибка запроса RDSR=>%1"},
        {"firmware load: status reply", load, in(flashOp(0x05)),
                        data, "Ошибка чтения RDSR=>%1"},
        {"firmware load: write enable", load, out(flashOp(0x06)),
                        sent, "Ошибка передачи WREN=>%1"},
        {"firmware load: write enable reply", load, in(flashOp(0x06)),
                        acknowledged, "Ошибка подтверждения WREN=>%1"},
        {"firmware load: sector erase", load, out(flashOp(0xd8)),
                        sent, "Ошибка передачи SE=>%1"},
        {"firmware load: sector erase reply", load, in(flashOp(0xd8)),
                        acknowledged, "Ошибка подтверждения SE=>%1"},
        {"firmware load: page program", load, out(flashOp(0x02)),
                        sent, "Ошибка передачи WrData=>%1"},
        {"firmware load: page program reply", load, in(flashOp(0x02)),
                        acknowledged, "Ошибка подтверждения WrData=>%1"},
        {"firmware load: read-back request", load, out(flashOp(0x03)),
                        sent, "Ошибка запроса RdData=>%1"},
        {"firmware load: read-back reply", load, in(flashOp(0x03)),
                        data, "Ошибка приема RdData=>%1"},
        {"firmware load in boot mode: stream piece", boot, out(0x06, any()),
                        sent, "Ошибка записи в устройства=>%1"},
    } + openingRows(boot, {"firmware load in boot mode: opening",
                           "firmware load in boot mode: configuration 1",
                           "firmware load in boot mode: interface"});
}
// clang-format on

const Register registered(60, flashRows);

} // namespace
} // namespace matrix
