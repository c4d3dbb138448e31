#include "sdk/foundation/AlternateSignalStack.h"

#include <sys/mman.h>
#include <unistd.h>

namespace qlkit {

AlternateSignalStack::AlternateSignalStack()
{
    if (sigaltstack(nullptr, &m_previous) != 0)
        return;
    if (!(m_previous.ss_flags & SS_DISABLE) && m_previous.ss_size >= kSize)
        return;
    const std::size_t page = std::size_t(sysconf(_SC_PAGESIZE));
    m_mappingSize = kSize + page;
    void* mapping = mmap(nullptr, m_mappingSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED)
        return;
    m_mapping = mapping;
    // The lowest page stays inaccessible: a handler that overruns the stack
    // faults instead of writing over whatever lies below.
    mprotect(mapping, page, PROT_NONE);
    stack_t stack {};
    stack.ss_sp = static_cast<char*>(mapping) + page;
    stack.ss_size = kSize;
    m_installed = sigaltstack(&stack, nullptr) == 0;
}

AlternateSignalStack::~AlternateSignalStack()
{
    if (m_installed) {
        stack_t previous = m_previous;
        if (previous.ss_flags & SS_DISABLE) {
            previous = stack_t {};
            previous.ss_flags = SS_DISABLE;
        }
        sigaltstack(&previous, nullptr);
    }
    if (m_mapping)
        munmap(m_mapping, m_mappingSize);
}

} // namespace qlkit
