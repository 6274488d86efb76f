// The fault matrix's rows of the live commands: each command's packet and its acknowledgement.

#include "faultmatrix.h"

namespace matrix {
namespace {

using Request = std::function<void(TThread &)>;

// A live command: it succeeded when the worker logged it as passed on (mode 10 logs each).
class LiveDriver : public Driver
{
public:
    explicit LiveDriver(Request r)
        : send(std::move(r))
    { }
    void request(Run &run) override { send(run.thread); }
    void observe(Run &run) override
    {
        QVERIFY2(run.settle(), NotSettled);
        run.succeeded = !run.log->strings().filter(QStringLiteral("Переданы параметры")).isEmpty();
    }

private:
    Request send;
};

const quint16 words[9] = {0x0102, 0x0304, 0x0506, 0x0708, 0x090a, 0x0b0c, 0x0d0e, 0x0f10, 0xfffe};

struct LiveKind
{
    const char *name;
    Request request;
    QString sendText;
    QString ackText;
};

QString parameterText(const char *values)
{
    const QString t =
        QStringLiteral("Ошибка передачи команды: %1  ошибка=").arg(QLatin1String(values));
    return t + QStringLiteral("%1");
}

QList<LiveKind> liveKinds()
{
    const auto param = [](const char *name, void (TThread::*req)(const quint16 *, int),
                          const char *values) {
        return LiveKind {name, [req](TThread &t) { (t.*req)(words, 4); }, parameterText(values),
                         parameterText(values)};
    };
    return {
        {"codec register", [](TThread &t) { t.reqCodec(12, 63); },
         "Ошибка передачи команды кодека=>%1", "Ошибка подтверждения команды кодека=>%1"},
        {"amplifier", [](TThread &t) { t.reqAmp(213); }, "Ошибка передачи команды усилителя=>%1",
         "Ошибка подтверждения команды усилителя=>%1"},
        param("parameter 4", &TThread::reqParam4, "4=0x1; 0x2; 0x3; 0x4;"),
        {"parameter 5", [](TThread &t) { t.reqParam5(1, 44); }, parameterText("5=0x1; 0x2c;"),
         parameterText("5=0x1; 0x2c;")},
        {"parameter 6", [](TThread &t) { t.reqParam6(7, 0); }, parameterText("6=0x7; 0x0;"),
         parameterText("6=0x7; 0x0;")},
        param("parameter 7", &TThread::reqParam7, "7=0x1; 0x2; 0x3; 0x4;"),
        param("parameter 8", &TThread::reqParam8, "8=0x1; 0x2; 0x3; 0x4;"),
        param("parameter 9", &TThread::reqParam9, "9=0x1; 0x2; 0x3; 0x4;"),
        param("parameter 10", &TThread::reqParam10, "10=0x1; 0x2; 0x3; 0x4;"),
        param("parameter 11", &TThread::reqParam11, "11=0x1; 0x2; 0x3; 0x4;"),
        {"trace mode", [](TThread &t) { t.reqTraceMode(0x1234); }, parameterText("15=0x12; 0x34;"),
         parameterText("15=0x12; 0x34;")},
    };
}

QList<Row> liveRows()
{
    QList<Row> t;
    for (const LiveKind &k : liveKinds()) {
        const MakeDriver live = make<LiveDriver>(k.request);
        const QString name = QStringLiteral("live %1: ").arg(QLatin1String(k.name));
        t << Row {name + QStringLiteral("command"), live, out(any()), sent, k.sendText}
          << Row {name + QStringLiteral("acknowledgement"), live, in(any()), acknowledged,
                  k.ackText};
    }
    return t;
}

const Register registered(30, liveRows);

} // namespace
} // namespace matrix
