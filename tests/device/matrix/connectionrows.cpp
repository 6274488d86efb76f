// The fault matrix's rows of the connection: the set-up steps of opening a plugged-in controller
// and the handshake after them, run by the hot-plug check.

#include "faultmatrix.h"

namespace matrix {
namespace {

// The hot-plug check opening a controller that was plugged in: the connection is open and
// announced exactly when the opening succeeds.
class OpeningDriver : public Driver
{
public:
    bool connectedFirst() const override { return false; }
    Afterwards afterwards() const override { return Afterwards::Opened; }
    void request(Run &run) override { run.thread.checkDevice(); }
    void observe(Run &run) override
    {
        QVERIFY2(run.settle(), NotSettled);
        run.succeeded = run.thread.isConnected();
    }
};

// clang-format off
QList<Row> connectionRows()
{
    const MakeDriver opening = make<OpeningDriver>();
    // outcomes:    error gone-5 gone-6 short empty echo time-out
    return openingRows(opening, {"opening: device", "opening: configuration 2",
                                 "opening: interface"}) + QList<Row> {
        {"handshake: request", opening, out(bytes("00004000")),
                        sent, "Ошибка передачи данных=>%1"},
        {"handshake: reply", opening, in(bytes("00004000")),
                        {F, F, F, F2, F2, A, F},
                        "Ошибка приема данных=>%1", "Ошибка инициализации соединения"},
    };
}
// clang-format on

const Register registered(10, connectionRows);

} // namespace
} // namespace matrix
