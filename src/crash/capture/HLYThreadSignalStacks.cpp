#include "crash/capture/HLYThreadSignalStacks.h"

#include "sdk/foundation/AlternateSignalStack.h"

#include <atomic>
#include <cerrno>
#include <dlfcn.h>
#include <new>
#include <pthread.h>

namespace {

using CreateFunction = int (*)(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*);

// The next pthread_create in the loader's order: the C library's, or a
// sanitizer's that stands in front of it.
CreateFunction nextCreate()
{
    static std::atomic<CreateFunction> next {nullptr};
    CreateFunction found = next.load(std::memory_order_acquire);
    if (!found) {
        found = reinterpret_cast<CreateFunction>(dlsym(RTLD_NEXT, "pthread_create"));
        next.store(found, std::memory_order_release);
    }
    return found;
}

struct ThreadStart {
    void* (*routine)(void*);
    void* argument;
};

void* startWithSignalStack(void* raw)
{
    const ThreadStart start = *static_cast<ThreadStart*>(raw);
    delete static_cast<ThreadStart*>(raw);
    // Also taken down when the thread exits early or is cancelled: both
    // unwind through this frame.
    const qlkit::AlternateSignalStack stack;
    return start.routine(start.argument);
}

} // namespace

extern "C" int pthread_create(pthread_t* thread, const pthread_attr_t* attributes, void* (*routine)(void*),
                              void* argument) noexcept
{
    const CreateFunction create = nextCreate();
    if (!create)
        return EAGAIN;
    auto* start = new (std::nothrow) ThreadStart {routine, argument};
    if (!start)
        return create(thread, attributes, routine, argument);
    const int result = create(thread, attributes, startWithSignalStack, start);
    if (result != 0)
        delete start;
    return result;
}

namespace qlkit {

bool HLYThreadSignalStacksActive()
{
    return dlsym(RTLD_DEFAULT, "pthread_create") == reinterpret_cast<void*>(&pthread_create);
}

} // namespace qlkit
