#include "support/TestSupport.h"
#include <gtest/gtest.h>

namespace {

// Loads the message file the way the Event Viewer does: as data, never run.
class MessageFile {
public:
    MessageFile()
        : module_(LoadLibraryExA(testing_support::BinFolder() + "\\OrvService.DLL", nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE)) {}
    ~MessageFile() {
        if (module_) FreeLibrary(module_);
    }
    MessageFile(const MessageFile&) = delete;
    MessageFile& operator=(const MessageFile&) = delete;
    HMODULE Module() const { return module_; }

    // The event's text with the insertion strings the event log would fill in; false when the
    // file has no text for the id.
    bool Format(DWORD id, CString& text) const {
        DWORD_PTR inserts[] = {reinterpret_cast<DWORD_PTR>("<first insert>"),
                               reinterpret_cast<DWORD_PTR>("<second insert>"),
                               reinterpret_cast<DWORD_PTR>("<third insert>")};
        char buffer[4096] = "";
        DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY, module_, id, 0,
                                      buffer, sizeof(buffer), reinterpret_cast<va_list*>(inserts));
        text = CString(buffer, static_cast<int>(length));
        return length > 0;
    }

private:
    HMODULE module_;
};

struct EventText {
    DWORD id;
    int inserts;
    const char* word;  // a word the text must hold, or null
};

// Every event the service and its framework report, with the insertion strings each carries.
const EventText kEvents[] = {
    {0x40000001, 1, "started"},   {0x40000002, 1, "installed"}, {0x40000003, 1, "stop"},
    {0x40000004, 1, "stopping"},  {0x40000005, 1, "paused"},    {0x40000006, 1, "continued"},
    {0x40000009, 1, "shutdown"},  {0x40000010, 1, nullptr},     {0x40000011, 1, nullptr},
    {0xC0000006, 1, "control manager"}, {0xC0000007, 1, "open the service"}, {0xC0000008, 1, "delete"},
    {0xC000000A, 1, "start"},     {0xC000000B, 1, "stop"},      {0xC000000C, 1, "continue"},
    {0xC000000D, 1, "pause"},     {0xC000000E, 2, "state"},     {0xC000000F, 1, "status"},
    {0xC0000012, 1, nullptr},     {0x80000013, 1, nullptr},
};

TEST(OrvServiceMessagesTest, EveryEventHasATextWithItsInsertionStrings) {
    MessageFile file;
    ASSERT_NE(nullptr, file.Module()) << GetLastError();
    for (const EventText& event : kEvents) {
        SCOPED_TRACE(testing::Message() << std::hex << event.id);
        CString text;
        ASSERT_TRUE(file.Format(event.id, text)) << GetLastError();
        EXPECT_GE(text.Find("<first insert>"), 0) << text.GetString();
        EXPECT_EQ(event.inserts >= 2, text.Find("<second insert>") >= 0) << text.GetString();
        EXPECT_LT(text.Find("<third insert>"), 0) << text.GetString();
        if (event.word) {
            EXPECT_GE(text.Find(event.word), 0) << text.GetString();
        }
    }
}

TEST(OrvServiceMessagesTest, SeverityIsPartOfTheIdentifier) {
    MessageFile file;
    ASSERT_NE(nullptr, file.Module()) << GetLastError();
    // The same low word under another severity is another event.
    CString continued, openFailed;
    ASSERT_TRUE(file.Format(0x40000006, continued));
    ASSERT_TRUE(file.Format(0xC0000006, openFailed));
    EXPECT_NE(continued, openFailed);
    // Ids nobody reports have no text, and the wrong severity finds none either.
    CString text;
    SetLastError(0);
    EXPECT_FALSE(file.Format(0x40000007, text));
    EXPECT_EQ(static_cast<DWORD>(ERROR_MR_MID_NOT_FOUND), GetLastError());
    EXPECT_FALSE(file.Format(0x80000012, text));
    EXPECT_FALSE(file.Format(0xC0000013, text));
    EXPECT_FALSE(file.Format(0x00000011, text));
}

}  // namespace
