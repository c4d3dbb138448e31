// Loaded at run time by crash-scenario: a crash inside an image that was
// opened after the crash reporter last looked at the loaded images.
extern "C" [[gnu::noinline]] void pluginCrashHere()
{
    volatile int* volatile target = reinterpret_cast<int*>(0x18);
    *target = 1;
}

extern "C" [[gnu::noinline]] void pluginCallThrough(void (*callee)())
{
    callee();
    __asm__ volatile(""); // keeps the call from becoming a jump
}
