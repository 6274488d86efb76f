#pragma once
// The job table: which handler runs each job type (see jobcontext.h).

#include "device/jobcontext.h"

// The handler of a job type; null for a type without one (such a job does nothing).
JobHandler jobHandler(quint16 type);
