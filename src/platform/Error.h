// Failures as values: a domain, a code and a message, as the program reports
// them to users and callers. Exceptions are kept for programming errors.
#pragma once

#include <QString>
#include <optional>
#include <utility>
#include <variant>

namespace ql {

struct Error {
    QString domain;
    int code = 0;
    QString message;

    // "domain (code): message", for logs and one-line tool output.
    QString describe() const;
    bool operator==(const Error&) const = default;
};

// A value or an error. Small on purpose: what C++23's std::expected offers
// and no more.
template <class T>
class Result {
public:
    Result(T value) : m_state(std::move(value)) {}
    Result(Error error) : m_state(std::move(error)) {}

    bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }

    T& value() & { return std::get<0>(m_state); }
    const T& value() const& { return std::get<0>(m_state); }
    T&& value() && { return std::get<0>(std::move(m_state)); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }

    const Error& error() const { return std::get<1>(m_state); }

private:
    std::variant<T, Error> m_state;
};

// Success without a value, or an error.
class Status {
public:
    Status() = default;
    Status(Error error) : m_error(std::move(error)) {}

    bool ok() const { return !m_error.has_value(); }
    explicit operator bool() const { return ok(); }
    const Error& error() const { return *m_error; }

private:
    std::optional<Error> m_error;
};

} // namespace ql
