#pragma once
// Run-time errors with the numbers and Japanese descriptions of the VB runtime.
#include <QString>
#include <exception>

struct VbError {
    long number = 0;
    QString description;
    bool isSet() const { return number != 0; }
    // "(" number ")" description
    QString parenText() const;
};

namespace vberr {
VbError typeMismatch();                         // 13
VbError overflow();                             // 6
VbError subscript();                            // 9
VbError invalidCall();                          // 5
VbError fileNotFound();                         // 53
VbError pathNotFound();                         // 76
VbError badFileName();                          // 75
VbError permissionDenied();                     // 70
VbError diskFull();                             // 61
VbError driver(const QString& firstDiagnostic); // -2147467259
} // namespace vberr

// A raised run-time error; routines catch it in their own error handler.
class VbRuntimeError : public std::exception {
public:
    explicit VbRuntimeError(VbError e) : err(std::move(e)) { }
    const char* what() const noexcept override { return "VB run-time error"; }
    VbError err;
};

[[noreturn]] void vbRaise(const VbError& e);
