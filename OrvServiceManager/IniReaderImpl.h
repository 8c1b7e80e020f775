// The manager's reader of one task-file section: forwards to IniFile and takes no lock, since
// the manager writes the task file only while the service is not running.
#pragma once
#include "common/IniFile.h"

class IniReaderImpl : public IniReader {
public:
    IniReaderImpl(const CString& path, const CString& section) : file_(path), section_(section) {}
    CString ReadString(const char* key, const char* defaultValue) override;
    int ReadInt(const char* key, int defaultValue) override;
    BOOL WriteString(const char* value, const char* key) override;
    BOOL WriteInt(int value, const char* key) override;
    BOOL DeleteKey(const char* key) override;
    CString GetSection() override { return section_; }

private:
    IniFile file_;
    CString section_;
};
