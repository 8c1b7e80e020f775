#include "common/SecurityAttributes.h"
#include <sddl.h>

SecurityAttributes::SecurityAttributes(const char* descriptorText) : m_error(0), m_attributes() {
    PSECURITY_DESCRIPTOR built = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(descriptorText, SDDL_REVISION_1, &built, nullptr)) {
        const DWORD error = GetLastError();
        m_error = error ? error : ERROR_INVALID_SECURITY_DESCR;
        return;
    }
    m_descriptor.Reset(built);
    m_attributes.nLength = sizeof(m_attributes);
    m_attributes.lpSecurityDescriptor = built;
    m_attributes.bInheritHandle = FALSE;
}
