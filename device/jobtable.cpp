#include "device/jobtable.h"

#include "device/acquisitionexchange.h"
#include "device/configexchange.h"
#include "device/flashexchange.h"
#include "device/liveexchange.h"
#include "device/monitorexchange.h"

#include <algorithm>
#include <iterator>

namespace {

struct Row
{
    quint16 type;
    JobHandler run;
};

// JobCheck has no row: it only wakes the worker for the hot-plug check that follows each job.
constexpr Row Table[] = {
    {JobRead, configuration::readJob},
    {JobWrite, configuration::writeJob},
    {JobLoad, flash::loadJob},
    {JobCodec, live::commandJob},
    {JobAmp, live::commandJob},
    {JobParam4, live::commandJob},
    {JobParam5, live::commandJob},
    {JobParam6, live::commandJob},
    {JobParam7, live::commandJob},
    {JobParam8, live::commandJob},
    {JobParam9, live::commandJob},
    {JobParam10, live::commandJob},
    {JobParam11, live::commandJob},
    {JobReport, acquisition::reportJob},
    {JobReportReset, acquisition::reportJob},
    {JobMonitor, monitor::switchJob},
    {JobMonitorRead, monitor::readJob},
    {JobTraceMode, live::commandJob},
    {JobTrace, acquisition::traceJob},
};

} // namespace

JobHandler jobHandler(quint16 type)
{
    const auto row = std::find_if(std::begin(Table), std::end(Table),
                                  [type](const Row &r) { return r.type == type; });
    return row != std::end(Table) ? row->run : nullptr;
}
