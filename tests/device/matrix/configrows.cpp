// The fault matrix's rows of the configuration read and write: the identification that opens
// each, the blocks, their acknowledgements and the write's read-back.

#include "faultmatrix.h"
#include "testsupport.h"

#include "config/tk440.h"

namespace matrix {
namespace {

constexpr int WriteCount = 182;

Match memoryRead()
{
    return [](const QByteArray &p) {
        return word(p, 0) == 3 && word(p, 2) != 0;
    };
}
Match memoryWrite()
{
    return [](const QByteArray &p) {
        return word(p, 0) == 3 && word(p, 2) == 0;
    };
}

// A read: exactly one of its signals; the record it hands over is the controller's, and the
// controller's memory stays as it was.
class ReadDriver : public Driver
{
public:
    ~ReadDriver() override
    {
        if (records)
            for (const QVariantList &call : std::as_const(records->calls))
                delete call.value(0).value<TK440 *>();
    }
    void prepare(Run &run) override
    {
        memoryBefore = run.sim.memory(0, TK440::IdentOffset);
        records = watch(run, &TThread::readCfg);
        errors = watch(run, &TThread::readErr);
    }
    void request(Run &run) override { run.thread.reqRead(); }
    void observe(Run &run) override
    {
        QVERIFY2(run.settle(), NotSettled);
        QCOMPARE(records->size() + errors->size(), 1);
        run.succeeded = records->size() == 1;
        if (*run.succeeded) {
            const TK440 *record = records->at(0).value(0).value<TK440 *>();
            QCOMPARE(QByteArray(record->data(), TK440::IdentOffset), memoryBefore);
        }
        QCOMPARE(run.sim.memory(0, TK440::IdentOffset), memoryBefore); // a read writes nothing
    }

private:
    QByteArray memoryBefore;
    std::unique_ptr<QueuedSpy> records;
    std::unique_ptr<QueuedSpy> errors;
};

// A write of a record of the controller's model: exactly one of its signals; the controller
// holds the record when it succeeded, and the image it was given stays as it was.
class WriteDriver : public Driver
{
public:
    void prepare(Run &run) override
    {
        image = randomBytes(TK440::Size, 7);
        image[TK440::ModelOffset] = char(SimController::ModelRA & 0xff);
        image[TK440::ModelOffset + 1] = char(SimController::ModelRA >> 8);
        imageCopy = QByteArray(image.constData(), image.size());
        done = watch(run, &TThread::writeStp);
        errors = watch(run, &TThread::writeErr);
    }
    void request(Run &run) override { run.thread.reqWrite(image.constData(), WriteCount); }
    void observe(Run &run) override
    {
        QVERIFY2(run.settle(), NotSettled);
        QCOMPARE(done->size() + errors->size(), 1);
        run.succeeded = done->size() == 1;
        if (*run.succeeded)
            QCOMPARE(run.sim.memory(0, WriteCount), image.left(WriteCount));
        QCOMPARE(image, imageCopy);
    }

private:
    QByteArray image;
    QByteArray imageCopy;
    std::unique_ptr<QueuedSpy> done;
    std::unique_ptr<QueuedSpy> errors;
};

// clang-format off
QList<Row> configRows()
{
    const MakeDriver read = make<ReadDriver>();
    const MakeDriver write = make<WriteDriver>();
    // outcomes:    error gone-5 gone-6 short empty echo time-out
    return identificationRows("configuration read", read)
        + identificationRows("configuration write", write)
        + QList<Row> {
        {"configuration read: block request", read, out(memoryRead()),
                        sent, "Ошибка запроса конфигурации устройства=>%1"},
        {"configuration read: block reply", read, in(memoryRead()),
                        data, "Ошибка приема конфигурации устройства=>%1"},
        {"configuration write: block", write, out(memoryWrite()),
                        sent, "Ошибка записи в устройства=>%1"},
        {"configuration write: acknowledgement", write, in(memoryWrite()),
                        acknowledged, "Ошибка подтверждения записи=>%1"},
        {"configuration write: read-back request", write, out(memoryRead()),
                        sent, "Ошибка запроса данных =>%1"},
        {"configuration write: read-back reply", write, in(memoryRead()),
                        data, "Ошибка приема данных=>%1"},
    };
}
// clang-format on

const Register registered(20, configRows);

} // namespace
} // namespace matrix
