// Preloaded into a process to prove that its signal handlers neither
// allocate nor lock: malloc, calloc, realloc, free and pthread_mutex_lock
// called on an alternate signal stack write one line to standard error and
// end the process with status 86.
#include <csignal>
#include <cstddef>
#include <pthread.h>
#include <unistd.h>

extern "C" {
void* __libc_malloc(std::size_t);
void* __libc_calloc(std::size_t, std::size_t);
void* __libc_realloc(void*, std::size_t);
void __libc_free(void*);
int __pthread_mutex_lock(pthread_mutex_t*);
}

namespace {

void refuseOnAlternateStack(const char* what)
{
    stack_t current {};
    if (sigaltstack(nullptr, &current) != 0 || !(current.ss_flags & SS_ONSTACK))
        return;
    const char prefix[] = "alloc-guard: ";
    const char suffix[] = " on an alternate signal stack\n";
    (void)!write(2, prefix, sizeof prefix - 1);
    std::size_t length = 0;
    while (what[length])
        ++length;
    (void)!write(2, what, length);
    (void)!write(2, suffix, sizeof suffix - 1);
    _exit(86);
}

} // namespace

extern "C" {

void* malloc(std::size_t size)
{
    refuseOnAlternateStack("malloc");
    return __libc_malloc(size);
}

void* calloc(std::size_t count, std::size_t size)
{
    refuseOnAlternateStack("calloc");
    return __libc_calloc(count, size);
}

void* realloc(void* pointer, std::size_t size)
{
    refuseOnAlternateStack("realloc");
    return __libc_realloc(pointer, size);
}

void free(void* pointer)
{
    refuseOnAlternateStack("free");
    __libc_free(pointer);
}

int pthread_mutex_lock(pthread_mutex_t* mutex)
{
    refuseOnAlternateStack("pthread_mutex_lock");
    return __pthread_mutex_lock(mutex);
}

} // extern "C"
