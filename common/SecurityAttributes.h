// Security attributes for an object to be made, from the text of a security descriptor (the
// system's descriptor language): the owner and access list the object gets at its creation.
#pragma once
#include "classlib/HandleOwner.h"

class SecurityAttributes {
public:
    explicit SecurityAttributes(const char* descriptorText);
    SecurityAttributes(const SecurityAttributes&) = delete;
    SecurityAttributes& operator=(const SecurityAttributes&) = delete;

    // 0, or the Win32 error that kept the descriptor from being built.
    DWORD GetError() const { return m_error; }
    // Null when the descriptor could not be built.
    LPSECURITY_ATTRIBUTES Get() { return m_error ? nullptr : &m_attributes; }
    PSECURITY_DESCRIPTOR GetDescriptor() const { return m_descriptor.Get(); }

private:
    DWORD m_error;
    ScopedLocalMemory m_descriptor;
    SECURITY_ATTRIBUTES m_attributes;
};
