// Throughput of the checksum and the cost of one request operation of the job queue.
// --quick runs each case only briefly: a check that the benchmarks still run, whose figures
// mean little. Google Benchmark's own options (--benchmark_filter, ...) work as usual.

#include "config/crc16.h"
#include "config/tk440.h"
#include "device/tthread.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

void BM_Crc16Image(benchmark::State &state)
{
    Crc16 crc;
    std::vector<quint8> bytes(size_t(state.range(0)));
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = quint8(i * 31);
    for (auto _ : state)
        benchmark::DoNotOptimize(crc.compute(bytes.data(), qsizetype(bytes.size())));
    state.SetBytesProcessed(qint64(state.iterations()) * state.range(0));
}
BENCHMARK(BM_Crc16Image)->Arg(TK440::CheckedSize)->Arg(128 * 1024);

// A worker whose jobs do nothing, so that only the request path is measured.
class IdleThread : public TThread
{
public:
    // The worker calls this class's dispatch(): it must have ended before this part goes.
    ~IdleThread() override
    {
        stop();
        wait();
    }

    std::atomic<qint64> done {0};

protected:
    void dispatch(TJob &) override { ++done; }
};

void BM_RequestOperation(benchmark::State &state)
{
    IdleThread thread;
    const quint16 words[4] = {1, 2, 3, 4};
    qint64 issued = 0;
    for (auto _ : state) {
        thread.reqParam8(words, 8);
        ++issued;
    }
    while (thread.done.load() < issued)
        QThread::yieldCurrentThread();
    thread.wait();
}
BENCHMARK(BM_RequestOperation);

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // --quick becomes a short minimum time per case; a later --benchmark_min_time still wins.
    std::vector<char *> args(argv, argv + argc);
    char quickTime[] = "--benchmark_min_time=0.01";
    for (auto &a : args)
        if (std::strcmp(a, "--quick") == 0)
            a = quickTime;
    int count = int(args.size());
    args.push_back(nullptr);
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data()))
        return 1;
    const size_t ran = benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (ran == 0) {
        std::fprintf(stderr, "no benchmark ran\n");
        return 1;
    }
    return 0;
}
