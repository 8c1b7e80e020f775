#include "classlib/ExceptionBarrier.h"
#include "classlib/CFile.h"
#include "classlib/CWinApp.h"
#include <stdexcept>
#include <vector>

namespace {
thread_local ModalScope* t_innermost = nullptr;

std::vector<ExceptionDescriber>& Describers() {
    static std::vector<ExceptionDescriber> describers;
    return describers;
}
}  // namespace

ModalScope::ModalScope() : outer_(t_innermost) { t_innermost = this; }

ModalScope::~ModalScope() { t_innermost = outer_; }

ModalScope* ModalScope::Innermost() { return t_innermost; }

void ModalScope::Carry(std::exception_ptr error) {
    if (!carried_) carried_ = error;
    ended_ = true;
}

void ModalScope::RethrowIfCarried() {
    if (!carried_) return;
    std::exception_ptr error = carried_;
    carried_ = nullptr;
    std::rethrow_exception(error);
}

void AfxAddExceptionDescriber(ExceptionDescriber describer) { Describers().push_back(describer); }

CString AfxDescribeException(std::exception_ptr error) {
    CString text;
    auto& describers = Describers();
    for (auto it = describers.rbegin(); it != describers.rend(); ++it)
        if ((*it)(error, text)) return text;
    try {
        std::rethrow_exception(error);
    } catch (const CFileException& e) {
        text = e.GetErrorMessage();
    } catch (const std::exception& e) {
        text = e.what();
    } catch (...) {
        text = "An unknown error occurred.";
    }
    return text;
}

void AfxReportException(std::exception_ptr error) {
    if (!error) return;
    try {
        std::rethrow_exception(error);
    } catch (const CUserException&) {
        return;  // the user has been told already
    } catch (...) {
    }
    try {
        AfxMessageBox(AfxDescribeException(error), MB_OK | MB_ICONERROR);
    } catch (...) {
        // Nothing is left to tell the user with.
    }
}

void AfxCarryException(std::exception_ptr error) {
    if (ModalScope* scope = ModalScope::Innermost()) {
        scope->Carry(error);
        return;
    }
    AfxReportException(error);
}
