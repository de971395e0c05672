#pragma once
// Failures of the automation objects' methods, and how they reach a caller: every exception
// is caught at the method's boundary and becomes error information (a failure code, the
// object's programmatic identifier as source, the exception's message as description).

#include "vbs/ErrorInfo.h"

#include <cstdint>
#include <exception>
#include <stdexcept>
#include <string>
#include <string_view>

namespace qp {

// The failure code of every error that carries none of its own: "catastrophic failure"
// (E_UNEXPECTED to automation clients).
inline constexpr int32_t kUnexpectedFailure = int32_t(0x8000FFFF);

// An error that carries a failure code of its own (an object in another instance failed),
// which the caller receives instead of kUnexpectedFailure when it is negative.
class FailureCodeError : public std::runtime_error {
public:
    FailureCodeError(int32_t code, const std::string& message) : std::runtime_error(message), m_code(code) {}
    int32_t code() const { return m_code; }

private:
    int32_t m_code;
};

// A call the script made wrongly, reported as VBScript reports its own run-time errors:
// a VBScript error number (5 for an argument out of range, 5017 for a bad regular
// expression) with the runtime source and VBScript's text.
class ScriptRuntimeError : public std::runtime_error {
public:
    ScriptRuntimeError(int32_t number, const std::string& text) : std::runtime_error(text), m_number(number) {}
    int32_t number() const { return m_number; }

private:
    int32_t m_number;
};

// The silent end of an operation whose failure the user has already been shown.
class OperationAborted : public std::runtime_error {
public:
    OperationAborted() : std::runtime_error("Operation aborted") {}
};

// The error information for the exception being handled (call inside a catch block):
// kUnexpectedFailure, or the error's own code when it is a FailureCodeError with a negative code; a
// ScriptRuntimeError keeps its number and takes the runtime source.
vbs::ErrorInfo automationError(std::u16string_view source);

}  // namespace qp
