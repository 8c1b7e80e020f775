// The exception barrier: no C++ exception may unwind through a system frame (the 32-bit programs
// unwind with DWARF tables, which cannot cross user32's frames). Every window procedure, dialog
// procedure and hook of the class library catches everything and hands it to AfxCarryException:
// while a modal loop of ours runs (ModalScope, used by CDialog::DoModal), the exception is kept
// and rethrown from DoModal once the system call has returned into our code; elsewhere it is
// shown in a message box (the last resort) and the program goes on.
#pragma once
#include "classlib/CString.h"
#include <exception>

class ModalScope {
public:
    ModalScope();   // the innermost scope of this thread from now on
    ~ModalScope();  // the previous one is the innermost again
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

    static ModalScope* Innermost();
    bool Ended() const { return ended_; }
    void End() { ended_ = true; }
    // Keeps the first exception carried and ends the loop.
    void Carry(std::exception_ptr error);
    bool HasCarried() const { return static_cast<bool>(carried_); }
    void RethrowIfCarried();

private:
    ModalScope* outer_;
    bool ended_ = false;
    std::exception_ptr carried_;
};

// Called from a catch (...) at a system entry.
void AfxCarryException(std::exception_ptr error);
// The last resort: a message box with the exception's full text (through the application's
// message-box function).
void AfxReportException(std::exception_ptr error);

// The text shown for an exception. Error types of other libraries add a describer (it answers
// false for exceptions it does not know); the last one added is asked first.
typedef bool (*ExceptionDescriber)(std::exception_ptr error, CString& text);
void AfxAddExceptionDescriber(ExceptionDescriber describer);
CString AfxDescribeException(std::exception_ptr error);

// The user-cancelled data exchange (CDataExchange::Fail): already reported to the user.
class CUserException {};
