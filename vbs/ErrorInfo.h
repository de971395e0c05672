#pragma once
// A script error as the Err object holds it, and an expected-style result that carries
// either a value or such an error across the host interface.

#include <cstdint>
#include <string>
#include <utility>
#include <variant>

namespace qp::vbs {

struct ErrorInfo {
    // Err.Number: a VBScript error number (13), a host's own number (vbObjectError + n),
    // or a negative 32-bit failure code. Zero never denotes an error.
    int32_t number = 0;
    std::u16string source;       // Err.Source: "VBScript runtime error", or the host object's
    std::u16string description;  // Err.Description; empty takes VBScript's text for number
};

// Either a value or an ErrorInfo. Result<void> carries only the error, if any.
template <class T>
class Result {
public:
    Result(T value) : m_v(std::in_place_index<0>, std::move(value)) {}
    Result(ErrorInfo error) : m_v(std::in_place_index<1>, std::move(error)) {}

    bool ok() const noexcept { return m_v.index() == 0; }
    explicit operator bool() const noexcept { return ok(); }
    T& value() & { return std::get<0>(m_v); }
    const T& value() const& { return std::get<0>(m_v); }
    T&& value() && { return std::get<0>(std::move(m_v)); }
    const ErrorInfo& error() const { return std::get<1>(m_v); }

private:
    std::variant<T, ErrorInfo> m_v;
};

template <>
class Result<void> {
public:
    Result() = default;
    Result(ErrorInfo error) : m_error(std::move(error)), m_failed(true) {}

    bool ok() const noexcept { return !m_failed; }
    explicit operator bool() const noexcept { return ok(); }
    const ErrorInfo& error() const { return m_error; }

private:
    ErrorInfo m_error;
    bool m_failed = false;
};

}  // namespace qp::vbs
