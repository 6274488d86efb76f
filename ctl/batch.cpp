#include "ctl/batch.h"

#include "config/image.h"
#include "config/imagefields.h"
#include "config/language.h"
#include "config/modes.h"
#include "config/tk440.h"
#include "ctl/batchoutput.h"
#include "ctl/output.h"
#include "device/operations/controllerrun.h"
#include "device/operations/loadoperation.h"
#include "device/operations/readoperation.h"
#include "device/operations/verifyoperation.h"
#include "device/operations/writeoperation.h"
#include "records/recordstore.h"

#include <QDir>

#include <algorithm>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace {

using Say = std::function<void(const QString &line)>;

// One controller's part of the run: its operation, and what becomes of its result.
class BatchJob
{
public:
    virtual ~BatchJob() = default;
    virtual Operation &operation() = 0;
    // In the controller's thread, over the open connection, before the operation.
    virtual void before(DeviceConnection &, DeviceLink &, const Say &) { }
    // In the controller's thread once the operation has ended: the controller's status, and
    // what its end event adds.
    virtual Status conclude(const OperationResult &result, QJsonObject *, const Say &)
    {
        return statusOf(result);
    }
    // Printed on standard output once every controller has ended (text output only).
    virtual QString listing() const { return QString(); }
};

// Makes the job of the controller with this index, reporting to the sink.
using JobMaker = std::function<std::unique_ptr<BatchJob>(int index, OperationSink &sink)>;

// The records the controllers' threads keep until all have ended.
class KeptRecords
{
public:
    explicit KeptRecords(const BatchRecords &records)
        : records(records)
    { }
    void follow(Operation &operation, const QString &path)
    {
        if (!records.store)
            return;
        RecordContext context = records.context;
        context.portPath = path;
        operation.recordTo(context, [this](const OperationRecord &record) {
            const std::lock_guard lock(mutex);
            kept.append(record);
        });
    }
    // In the calling thread, once the threads have ended.
    void store()
    {
        for (const OperationRecord &record : std::as_const(kept))
            records.store->append(record);
    }

private:
    const BatchRecords &records;
    std::mutex mutex;
    QList<OperationRecord> kept;
};

Status runOne(const UsbTransport::Factory &transports, const ControllerIdentity &controller,
              BatchJob &job, int mode, BatchOutput &output, int index)
{
    output.start(index);
    const Say say = [&output, index](const QString &line) {
        output.line(index, line);
    };
    std::unique_ptr<UsbTransport> transport = transports();
    transport->setPortPath(controller.path);
    const OperationResult &result =
        runOnController(std::move(transport), job.operation(), mode, say,
                        [&job, &say](DeviceConnection &connection, DeviceLink &link) {
                            job.before(connection, link, say);
                        });
    QJsonObject fields;
    const Status status = job.conclude(result, &fields, say);
    output.end(index, status, result, fields);
    return status;
}

int runAll(const UsbTransport::Factory &transports, const QList<ControllerIdentity> &controllers,
           int mode, bool json, const BatchRecords &records, const JobMaker &make)
{
    // The messages of --json in Russian whatever the language, as its other results: the
    // language is left while the threads run.
    std::optional<SourceLanguageScope> russian;
    if (json)
        russian.emplace();
    BatchOutput output(controllers, json);
    const int n = int(controllers.size());
    std::vector<std::unique_ptr<BatchSink>> sinks;
    std::vector<std::unique_ptr<BatchJob>> jobs;
    for (int i = 0; i < n; ++i) {
        sinks.push_back(std::make_unique<BatchSink>(output, i));
        jobs.push_back(make(i, *sinks.back()));
    }
    KeptRecords kept(records);
    for (int i = 0; i < n; ++i)
        kept.follow(jobs[size_t(i)]->operation(), controllers[i].path);
    std::vector<Status> statuses(size_t(n), Success);
    std::vector<std::thread> threads;
    for (int i = 0; i < n; ++i) {
        threads.emplace_back([&, i] {
            statuses[size_t(i)] =
                runOne(transports, controllers[i], *jobs[size_t(i)], mode, output, i);
        });
    }
    output.waitForEnd();
    for (std::thread &t : threads)
        t.join();
    kept.store();
    Status worst = Success;
    int succeeded = 0;
    for (const Status s : statuses) {
        worst = qMax(worst, s);
        succeeded += s == Success ? 1 : 0;
    }
    for (const auto &job : jobs) {
        if (!json)
            printOut(job->listing());
    }
    output.summary(worst, succeeded);
    return worst;
}

// "<serial>.mcd", "<serial>_<path>.mcd" where another controller has the same serial, or
// "<path>.mcd" for one that could not be identified.
QString readFileName(const QList<ControllerIdentity> &controllers, int index)
{
    const ControllerIdentity &c = controllers[index];
    if (!c.identified())
        return c.path + QStringLiteral(".mcd");
    const QString serial = c.serialText();
    const auto sharing = std::count_if(
        controllers.begin(), controllers.end(), [&serial](const ControllerIdentity &other) {
            return other.identified() && other.serialText() == serial;
        });
    return sharing > 1 ? serial + QLatin1Char('_') + c.path + QStringLiteral(".mcd")
                       : serial + QStringLiteral(".mcd");
}

class ReadJob : public BatchJob
{
public:
    ReadJob(OperationSink &sink, const QString &file)
        : file(file)
        , read(sink, image)
    { }
    Operation &operation() override { return read; }
    Status conclude(const OperationResult &result, QJsonObject *fields, const Say &say) override
    {
        if (const Status s = statusOf(result); s != Success)
            return s;
        fields->insert(QStringLiteral("file"), file);
        fields->insert(QStringLiteral("model"), modelName(image.model()));
        return saveImage(file, image, say);
    }

private:
    QString file;
    TK440 image;
    ReadOperation read;
};

// Reports nothing: the backup read before a write is part of the write.
class SilentSink : public OperationSink
{
public:
    void stage(const QString &, int) override { }
    void progress(quint32) override { }
    void finished(const OperationResult &) override { }
};

class WriteJob : public BatchJob
{
public:
    WriteJob(OperationSink &sink, const QString &file, const TK440 &image, int mode, bool backup)
        : file(file)
        , image(image)
        , mode(mode)
        , backup(backup)
        , write(sink, image, mode)
    { }
    Operation &operation() override { return write; }
    // The controller's configuration before the write, kept as its record's backup, and the
    // fields the write changes.
    void before(DeviceConnection &connection, DeviceLink &link, const Say &say) override
    {
        if (!backup)
            return;
        TK440 present;
        SilentSink silent;
        ReadOperation read(silent, present);
        if (read.run(connection, link).outcome != OperationOutcome::Done)
            return;
        write.recordContext().backup = QByteArray(present.data(), TK440::Size);
        changes = writeChanges(present, image, mode);
        for (const QString &line : backupLines(changes))
            say(line);
    }
    Status conclude(const OperationResult &result, QJsonObject *fields, const Say &) override
    {
        fields->insert(QStringLiteral("file"), file);
        if (backup)
            fields->insert(QStringLiteral("changes"), differencesJson(changes));
        return statusOf(result);
    }

private:
    QString file;
    TK440 image;
    int mode;
    bool backup;
    WriteOperation write;
    QList<FieldDifference> changes;
};

class VerifyJob : public BatchJob
{
public:
    VerifyJob(OperationSink &sink, const QString &prefix, const QString &file, const TK440 &image,
              int mode)
        : prefix(prefix)
        , file(file)
        , verify(sink, image, mode)
    { }
    Operation &operation() override { return verify; }
    Status conclude(const OperationResult &result, QJsonObject *fields, const Say &) override
    {
        const Status status = statusOf(result);
        fields->insert(QStringLiteral("file"), file);
        if (status == Success || status == Different) {
            fields->insert(QStringLiteral("equal"), verify.differences().isEmpty());
            fields->insert(QStringLiteral("differences"), differencesJson(verify.differences()));
        }
        return status;
    }
    // "<path> <serial>: section / field: file | controller" in the interface language.
    QString listing() const override
    {
        QString out;
        for (const FieldDifference &d : verify.differences())
            out += QStringLiteral("%1: %2 / %3: %4 | %5\n")
                       .arg(prefix, displayedText(d.section), d.field, displayedText(d.a),
                            displayedText(d.b));
        return out;
    }

private:
    QString prefix;
    QString file;
    VerifyOperation verify;
};

class LoadJob : public BatchJob
{
public:
    LoadJob(OperationSink &sink, const QByteArray &firmware)
        : load(sink, firmware)
    { }
    Operation &operation() override { return load; }

private:
    LoadOperation load;
};

} // namespace

int readSeveral(const UsbTransport::Factory &transports,
                const QList<ControllerIdentity> &controllers, const QString &folder, bool json,
                const BatchRecords &records)
{
    if (!QDir().mkpath(folder)) {
        say(QStringLiteral("k330ctl read: cannot make the folder %1").arg(folder));
        return SaveFailed;
    }
    const QDir dir(folder);
    return runAll(transports, controllers, int(OperatingMode::User), json, records,
                  [&](int i, OperationSink &sink) {
                      return std::make_unique<ReadJob>(sink,
                                                       dir.filePath(readFileName(controllers, i)));
                  });
}

int writeSeveral(const UsbTransport::Factory &transports,
                 const QList<ControllerIdentity> &controllers, const QString &file,
                 const TK440 &image, int mode, bool json, const BatchRecords &records)
{
    return runAll(transports, controllers, mode, json, records, [&](int, OperationSink &sink) {
        return std::make_unique<WriteJob>(sink, file, image, mode, records.backup);
    });
}

int verifySeveral(const UsbTransport::Factory &transports,
                  const QList<ControllerIdentity> &controllers, const QString &file,
                  const TK440 &image, int mode, bool json, const BatchRecords &records)
{
    return runAll(transports, controllers, int(OperatingMode::User), json, records,
                  [&](int i, OperationSink &sink) {
                      const ControllerIdentity &c = controllers[i];
                      const QString prefix =
                          c.identified() ? c.path + QLatin1Char(' ') + c.serialText() : c.path;
                      return std::make_unique<VerifyJob>(sink, prefix, file, image, mode);
                  });
}

int loadSeveral(const UsbTransport::Factory &transports,
                const QList<ControllerIdentity> &controllers, const QByteArray &firmware, bool json,
                const BatchRecords &records)
{
    return runAll(
        transports, controllers, int(OperatingMode::ServiceFirmware), json, records,
        [&](int, OperationSink &sink) { return std::make_unique<LoadJob>(sink, firmware); });
}
