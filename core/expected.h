// A value or an error with a code and a message: how expected failures come back.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace camlog::core {

template <typename Code> struct Error {
    Code code;
    std::string message;
};

template <typename T, typename Code> class Expected {
public:
    Expected(T value) : m_state(std::in_place_index<0>, std::move(value)) {}
    Expected(Error<Code> error) : m_state(std::in_place_index<1>, std::move(error)) {}

    bool ok() const { return m_state.index() == 0; }
    explicit operator bool() const { return ok(); }

    T &value() & { return std::get<0>(m_state); }
    const T &value() const & { return std::get<0>(m_state); }
    T &&value() && { return std::get<0>(std::move(m_state)); }
    T *operator->() { return &value(); }
    const T *operator->() const { return &value(); }
    T &operator*() & { return value(); }

    const Error<Code> &error() const { return std::get<1>(m_state); }

private:
    std::variant<T, Error<Code>> m_state;
};

// Success with nothing to give back, or an error: the result of a write, a check or a run.
template <typename Code> class Expected<void, Code> {
public:
    Expected() = default;
    Expected(Error<Code> error) : m_error(std::move(error)) {}

    bool ok() const { return !m_error.has_value(); }
    explicit operator bool() const { return ok(); }

    const Error<Code> &error() const { return *m_error; }

private:
    std::optional<Error<Code>> m_error;
};

} // namespace camlog::core
