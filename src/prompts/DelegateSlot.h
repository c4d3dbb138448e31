// A prompt's delegate, held weakly. When none is set (or it is gone), the
// program's own delegate stands in and is then kept, weakly too.
#pragma once

#include "prompts/PromptEnvironment.h"

#include <memory>

namespace ql {

template <class Delegate>
class DelegateSlot {
public:
    using Member = std::shared_ptr<Delegate> ApplicationDelegate::*;

    explicit DelegateSlot(Member member) : m_member(member) {}

    void set(std::weak_ptr<Delegate> delegate) { m_delegate = std::move(delegate); }

    std::shared_ptr<Delegate> get(const PromptEnvironment& env)
    {
        if (std::shared_ptr<Delegate> delegate = m_delegate.lock())
            return delegate;
        std::shared_ptr<ApplicationDelegate> application = env.applicationDelegate.lock();
        if (!application)
            return nullptr;
        std::shared_ptr<Delegate> delegate = (*application).*m_member;
        m_delegate = delegate;
        return delegate;
    }

private:
    Member m_member;
    std::weak_ptr<Delegate> m_delegate;
};

} // namespace ql
