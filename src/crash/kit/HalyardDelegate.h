// What an application may answer the crash-reporting kit. Every operation is
// optional: the kit asks implements...() before it sends the matching one.
#pragma once

#include <functional>

namespace qlkit {

class Halyard;
class HLYReport;

class HalyardDelegate {
public:
    virtual ~HalyardDelegate() = default;

    // A report of an earlier run: call the answer (from any thread) with
    // whether to send it; the report stays where it is until then.
    virtual bool implementsDidDetectReportForLastExecution() const { return false; }
    virtual void halyardDidDetectReportForLastExecution(const HLYReport&, std::function<void(bool submit)> answer)
    {
        answer(true);
    }
    // Older forms of the same news, sent on the main queue.
    virtual bool implementsDidDetectCrashDuringPreviousExecutionWithReport() const { return false; }
    virtual void halyardDidDetectCrashDuringPreviousExecution(Halyard&, const HLYReport&) {}
    virtual bool implementsDidDetectCrashDuringPreviousExecution() const { return false; }
    virtual void halyardDidDetectCrashDuringPreviousExecution(Halyard&) {}

    virtual bool implementsCanUseBackgroundSessions() const { return false; }
    virtual bool halyardCanUseBackgroundSessions(Halyard&) { return true; }
    // Sent on the crashed thread while the process is stopped for the crash.
    virtual bool implementsDidDetectCrash() const { return false; }
    virtual void halyardDidDetectCrash(Halyard&) {}
    virtual bool implementsEnsureDeliveryOfUnixSignal() const { return false; }
    virtual bool halyardEnsureDeliveryOfUnixSignal(Halyard&, int) { return false; }
};

} // namespace qlkit
