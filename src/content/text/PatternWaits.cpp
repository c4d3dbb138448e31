#include "content/text/PatternWaits.h"

namespace ql::text {

namespace {

thread_local int t_noWait = 0;
thread_local int t_wait = 0;

} // namespace

bool layoutWaitsForPatterns()
{
    return t_wait > 0 || t_noWait == 0;
}

NoWaitForPatterns::NoWaitForPatterns() { ++t_noWait; }
NoWaitForPatterns::~NoWaitForPatterns() { --t_noWait; }
WaitForPatterns::WaitForPatterns() { ++t_wait; }
WaitForPatterns::~WaitForPatterns() { --t_wait; }

} // namespace ql::text
