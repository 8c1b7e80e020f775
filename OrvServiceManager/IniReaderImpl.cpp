#include "OrvServiceManager/IniReaderImpl.h"

CString IniReaderImpl::ReadString(const char* key, const char* defaultValue) {
    return file_.ReadString(section_, key, defaultValue);
}

int IniReaderImpl::ReadInt(const char* key, int defaultValue) { return file_.ReadInt(section_, key, defaultValue); }

BOOL IniReaderImpl::WriteString(const char* value, const char* key) { return file_.WriteString(value, section_, key); }

BOOL IniReaderImpl::WriteInt(int value, const char* key) { return file_.WriteInt(value, section_, key); }

BOOL IniReaderImpl::DeleteKey(const char* key) { return file_.DeleteKey(section_, key); }
