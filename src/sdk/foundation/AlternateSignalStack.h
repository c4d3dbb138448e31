// An alternate signal stack for the calling thread, for the object's life:
// a crash handler can then still run on a thread whose own stack is used up.
#pragma once

#include <csignal>
#include <cstddef>

namespace qlkit {

class AlternateSignalStack {
public:
    static constexpr std::size_t kSize = 256 * 1024;

    // Installs a stack of kSize unless the thread already has one at least
    // that large (another layer of the program gave it one).
    AlternateSignalStack();
    // Puts back what the thread had before, then frees the stack.
    ~AlternateSignalStack();
    AlternateSignalStack(const AlternateSignalStack&) = delete;
    AlternateSignalStack& operator=(const AlternateSignalStack&) = delete;

private:
    void* m_mapping = nullptr;
    std::size_t m_mappingSize = 0;
    stack_t m_previous {};
    bool m_installed = false;
};

} // namespace qlkit
