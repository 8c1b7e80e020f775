#include "common/Exception.h"
#include "classlib/ExceptionBarrier.h"

Exception::Exception(const char* message) : std::runtime_error(message ? message : "") {}

Exception::Exception(const char* message, const Exception& cause)
    : std::runtime_error(message ? message : ""), cause_(new Exception(cause)) {}

Exception::Exception(const Exception& other) : std::runtime_error(other.GetFullMessage()) {}

Exception::~Exception() = default;

const char* Exception::what() const noexcept { return std::runtime_error::what(); }

const char* Exception::GetFullMessage() const {
    full_ = what();
    if (cause_) {
        full_ += " because of:\n";
        full_ += cause_->GetFullMessage();
    }
    return full_.c_str();
}

namespace {
// The class library's last-resort handler shows our exceptions with their causes.
bool DescribeException(std::exception_ptr error, CString& text) {
    try {
        std::rethrow_exception(error);
    } catch (const Exception& e) {
        text = e.GetFullMessage();
        return true;
    } catch (...) {
        return false;
    }
}
const bool g_described = (AfxAddExceptionDescriber(DescribeException), true);
}  // namespace
