#include "crash/capture/HLYHandler.h"

#include "crash/capture/HLYBinaryImage.h"
#include "crash/capture/HLYContext.h"
#include "crash/capture/HLYHost.h"
#include "crash/capture/HLYProcess.h"
#include "crash/capture/HLYSDKLog.h"

namespace qlkit {

void HLYHandler(HLYFile* file, pid_t crashedThread, const ucontext_t* context)
{
    HLYProcess process;
    HLYProcessInit(&process, crashedThread, context);
    HLYProcessSuspendAllOtherThreads(&process);
    // Images loaded since the last refresh, before any stack is walked.
    HLYBinaryImageRecordLoadedAtCrash();

    HLYProcessRecordAllThreads(&process, file);
    HLYProcessRecordRuntime(&process, file);
    HLYProcessRecordDispatchQueueNames(&process, file);
    HLYProcessRecordThreadNames(&process, file);
    HLYProcessRecordStats(&process, file);
    HLYHostRecordStorage(file);

    HLYProcessResumeAllOtherThreads(&process);
    HLYProcessDestroy(&process);

    const HLYContext* shared = HLYContextShared();
    if (shared && shared->crashCallbackTarget) {
        HLYSDKLog("%s: Performing syncrhonous crash callback - hold onto your butts\n", "HLYHandler");
        shared->crashCallbackTarget->deliverCrashDelegateCallback();
    }
}

void HLYHandlerNotifyPotentiallySubmittableCrash()
{
    const HLYContext* shared = HLYContextShared();
    if (shared && shared->submittableCrashObserver)
        shared->submittableCrashObserver->potentiallySubmittableCrashOccurred();
}

} // namespace qlkit
