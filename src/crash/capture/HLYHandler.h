// The recording common to every fatal capture path: with the other threads
// stopped, the crash sections follow the event's own line in its record
// file, then the application's crash callback runs.
#pragma once

#include <sys/types.h>
#include <sys/ucontext.h>

namespace qlkit {

struct HLYFile;

// The caller is the recording thread (HLYRecorderAcquire); `context` is the
// crashed thread's signal context when there is one.
void HLYHandler(HLYFile* file, pid_t crashedThread, const ucontext_t* context);
void HLYHandlerNotifyPotentiallySubmittableCrash();

} // namespace qlkit
