#include "common/NTEventLogReader.h"
#include <gtest/gtest.h>
#include <cstring>
#include <vector>

namespace {

// Lays out one record the way the system hands it over: the fixed part, the two names, the
// SID, the insertion strings and the data.
std::vector<BYTE> BuildRecord(DWORD* lengthOut = nullptr) {
    std::vector<BYTE> bytes(sizeof(EVENTLOGRECORD));
    auto append = [&bytes](const void* data, size_t size) {
        DWORD offset = static_cast<DWORD>(bytes.size());
        const BYTE* p = static_cast<const BYTE*>(data);
        bytes.insert(bytes.end(), p, p + size);
        return offset;
    };
    append("Orvanti Manager", 16);
    append("HOST", 5);
    const BYTE sid[] = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
    DWORD sidOffset = append(sid, sizeof(sid));
    DWORD stringOffset = append("first\0second", 13);
    DWORD dataOffset = append("\x01\x02\x03", 3);
    EVENTLOGRECORD head = {};
    head.Length = static_cast<DWORD>(bytes.size());
    head.Reserved = 0x654c664c;
    head.RecordNumber = 42;
    head.TimeGenerated = 1700000000;
    head.TimeWritten = 1700000005;
    head.EventID = 0xC0000012;
    head.EventType = EVENTLOG_ERROR_TYPE;
    head.NumStrings = 2;
    head.EventCategory = 3;
    head.StringOffset = stringOffset;
    head.UserSidLength = sizeof(sid);
    head.UserSidOffset = sidOffset;
    head.DataLength = 3;
    head.DataOffset = dataOffset;
    memcpy(bytes.data(), &head, sizeof(head));
    if (lengthOut) *lengthOut = head.Length;
    return bytes;
}

TEST(NTEventLogEntryTest, CopiesEveryPartOfARecord) {
    std::vector<BYTE> bytes = BuildRecord();
    CNTEventLogEntry entry(*reinterpret_cast<const EVENTLOGRECORD*>(bytes.data()));
    EXPECT_EQ(42u, entry.recordNumber);
    EXPECT_EQ(1700000000, entry.timeGenerated.GetTime());
    EXPECT_EQ(1700000005, entry.timeWritten.GetTime());
    EXPECT_EQ(0xC0000012u, entry.eventId);
    EXPECT_EQ(EVENTLOG_ERROR_TYPE, entry.eventType);
    EXPECT_EQ(3, entry.eventCategory);
    EXPECT_EQ(CString("Orvanti Manager"), entry.sourceName);
    EXPECT_EQ(CString("HOST"), entry.computerName);
    ASSERT_EQ(2, entry.strings.GetSize());
    EXPECT_EQ(CString("first"), entry.strings[0]);
    EXPECT_EQ(CString("second"), entry.strings[1]);
    EXPECT_EQ((std::vector<BYTE>{1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0}), entry.userSid);
    EXPECT_EQ((std::vector<BYTE>{1, 2, 3}), entry.data);
}

TEST(NTEventLogEntryTest, OffsetsBeyondTheRecordAreNotFollowed) {
    std::vector<BYTE> bytes = BuildRecord();
    EVENTLOGRECORD* head = reinterpret_cast<EVENTLOGRECORD*>(bytes.data());
    head->DataOffset = head->Length - 1;  // three bytes from here run past the end
    head->UserSidOffset = 0xFFFFFFF0;
    head->NumStrings = 5;                 // only two are there
    CNTEventLogEntry entry(*head);
    EXPECT_TRUE(entry.data.empty());
    EXPECT_TRUE(entry.userSid.empty());
    EXPECT_LT(entry.strings.GetSize(), 5);
    EXPECT_EQ(CString("first"), entry.strings[0]);
}

TEST(NTEventLogReaderTest, OwnsItsHandle) {
    CNTEventLogReader reader;
    EXPECT_EQ(nullptr, reader.GetHandle());
    EXPECT_TRUE(reader.Close());
    ASSERT_TRUE(reader.OpenApplication()) << GetLastError();
    HANDLE h = reader.GetHandle();
    EXPECT_NE(nullptr, h);
    EXPECT_EQ(h, reader.Detach());
    EXPECT_EQ(nullptr, reader.GetHandle());
    reader.Attach(h);
    EXPECT_EQ(h, reader.GetHandle());
    EXPECT_TRUE(reader.Close());
    EXPECT_EQ(nullptr, reader.GetHandle());
}

}  // namespace
