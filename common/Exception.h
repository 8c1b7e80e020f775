// Error types of the system's own code: a message with an optional cause chain.
#pragma once
#include "classlib/CString.h"
#include <memory>
#include <stdexcept>

class Exception : public std::runtime_error {
public:
    explicit Exception(const char* message);
    Exception(const char* message, const Exception& cause);
    // A copy carries the source's full message as its own and no cause.
    Exception(const Exception& other);
    Exception& operator=(const Exception&) = delete;
    ~Exception() override;

    const char* what() const noexcept override;
    // The message, then " because of:\n" and the cause's full message, recursively. Valid until
    // the next call or the object's end.
    virtual const char* GetFullMessage() const;

private:
    std::unique_ptr<Exception> cause_;
    mutable std::string full_;
};

// An Exception that the service's catchers also write to the Windows event log.
class WinLogException : public Exception {
public:
    explicit WinLogException(const char* message) : Exception(message) {}
    WinLogException(const WinLogException& other) : Exception(other) {}
};
