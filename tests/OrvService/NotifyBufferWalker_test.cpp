#include "OrvService/NotifyBufferWalker.h"
#include <gtest/gtest.h>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Recorder : FolderChangeHandler {
    std::vector<std::string> calls;
    void OnFileAdded(const CString& p) override { calls.push_back("added " + p.str()); }
    void OnFileRemoved(const CString& p) override { calls.push_back("removed " + p.str()); }
    void OnFileModified(const CString& p) override { calls.push_back("modified " + p.str()); }
    void OnFileNameChanged(const CString& o, const CString& n) override {
        calls.push_back("renamed " + o.str() + " -> " + n.str());
    }
};

struct Rec {
    DWORD action;
    std::wstring name;
};

// Lays records out as the system does: each starts on a DWORD boundary, the last has offset 0.
std::vector<BYTE> Chain(const std::vector<Rec>& records) {
    std::vector<BYTE> out;
    for (size_t i = 0; i < records.size(); ++i) {
        size_t start = out.size();
        DWORD nameBytes = static_cast<DWORD>(records[i].name.size() * sizeof(WCHAR));
        DWORD size = (12 + nameBytes + 3) & ~3u;
        out.resize(start + size);
        DWORD header[3] = {i + 1 < records.size() ? size : 0, records[i].action, nameBytes};
        std::memcpy(&out[start], header, sizeof(header));
        std::memcpy(&out[start + 12], records[i].name.data(), nameBytes);
    }
    return out;
}

void SetNext(std::vector<BYTE>& buffer, size_t recordStart, DWORD next) { std::memcpy(&buffer[recordStart], &next, 4); }

}  // namespace

TEST(NotifyBufferWalkerTest, EachActionBecomesItsCallbackWithTheFullPath) {
    std::vector<BYTE> b = Chain({{FILE_ACTION_ADDED, L"new.txt"},
                                 {FILE_ACTION_REMOVED, L"sub\\old.txt"},
                                 {FILE_ACTION_MODIFIED, L"a.htm"},
                                 {99, L"ignored"},
                                 {FILE_ACTION_RENAMED_NEW_NAME, L"alone"}});
    Recorder r;
    CString pending;
    WalkNotifyBuffer(b.data(), static_cast<DWORD>(b.size()), "C:\\web", pending, r);
    std::vector<std::string> want = {"added C:\\web\\new.txt", "removed C:\\web\\sub\\old.txt",
                                     "modified C:\\web\\a.htm"};
    EXPECT_EQ(want, r.calls);
    EXPECT_TRUE(pending.IsEmpty());

    // A folder given with its closing backslash gets no second one.
    Recorder r2;
    WalkNotifyBuffer(b.data(), static_cast<DWORD>(b.size()), "C:\\", pending, r2);
    ASSERT_FALSE(r2.calls.empty());
    EXPECT_EQ("added C:\\new.txt", r2.calls[0]);
}

TEST(NotifyBufferWalkerTest, RenameInOneReadPairsOldWithTheFollowingRecord) {
    std::vector<BYTE> b = Chain({{FILE_ACTION_RENAMED_OLD_NAME, L"a.tmp"},
                                 {FILE_ACTION_RENAMED_NEW_NAME, L"a.htm"},
                                 {FILE_ACTION_ADDED, L"b"}});
    Recorder r;
    CString pending;
    WalkNotifyBuffer(b.data(), static_cast<DWORD>(b.size()), "D:\\w", pending, r);
    std::vector<std::string> want = {"renamed D:\\w\\a.tmp -> D:\\w\\a.htm", "added D:\\w\\b"};
    EXPECT_EQ(want, r.calls);
    EXPECT_TRUE(pending.IsEmpty());
}

TEST(NotifyBufferWalkerTest, RenameSplitAcrossTwoReadsIsDeliveredOnce) {
    // The old name ends the first read with an odd-length name: whatever follows it would be
    // misaligned, so only its text is carried over.
    std::vector<BYTE> first = Chain({{FILE_ACTION_MODIFIED, L"x"}, {FILE_ACTION_RENAMED_OLD_NAME, L"odd"}});
    std::vector<BYTE> second = Chain({{FILE_ACTION_RENAMED_NEW_NAME, L"even"}, {FILE_ACTION_REMOVED, L"y"}});
    Recorder r;
    CString pending;
    WalkNotifyBuffer(first.data(), static_cast<DWORD>(first.size()), "C:\\f", pending, r);
    EXPECT_EQ(std::vector<std::string>{"modified C:\\f\\x"}, r.calls);
    EXPECT_EQ(CString("C:\\f\\odd"), pending);
    WalkNotifyBuffer(second.data(), static_cast<DWORD>(second.size()), "C:\\f", pending, r);
    std::vector<std::string> want = {"modified C:\\f\\x", "renamed C:\\f\\odd -> C:\\f\\even", "removed C:\\f\\y"};
    EXPECT_EQ(want, r.calls);
    EXPECT_TRUE(pending.IsEmpty());
}

TEST(NotifyBufferWalkerTest, ZeroBytesAreAChangeOfTheFolderAndDropAKeptOldName) {
    Recorder r;
    CString pending("C:\\f\\old");
    BYTE unused[16] = {};
    WalkNotifyBuffer(unused, 0, "C:\\f", pending, r);
    EXPECT_EQ(std::vector<std::string>{"modified C:\\f"}, r.calls);
    // After an overflow the next record is unrelated to the kept old name.
    EXPECT_TRUE(pending.IsEmpty());
}

TEST(NotifyBufferWalkerTest, CorruptRecordsEndTheWalkWithoutReadingPastTheBytes) {
    Recorder r;
    CString pending;
    // A next-entry offset beyond the valid bytes: the first record counts, the walk ends.
    std::vector<BYTE> b = Chain({{FILE_ACTION_ADDED, L"a"}, {FILE_ACTION_ADDED, L"b"}});
    SetNext(b, 0, 4000);
    WalkNotifyBuffer(b.data(), static_cast<DWORD>(b.size()), "C:\\f", pending, r);
    EXPECT_EQ(std::vector<std::string>{"added C:\\f\\a"}, r.calls);

    // A name length beyond the returned bytes: nothing from that record.
    r.calls.clear();
    b = Chain({{FILE_ACTION_ADDED, L"a"}, {FILE_ACTION_ADDED, L"bbbb"}});
    DWORD bogus = 5000;
    std::memcpy(&b[16 + 8], &bogus, 4);
    WalkNotifyBuffer(b.data(), static_cast<DWORD>(b.size()), "C:\\f", pending, r);
    EXPECT_EQ(std::vector<std::string>{"added C:\\f\\a"}, r.calls);

    // Fewer bytes returned than the chain claims: the cut record is not read.
    r.calls.clear();
    b = Chain({{FILE_ACTION_ADDED, L"a"}, {FILE_ACTION_ADDED, L"bbbb"}});
    WalkNotifyBuffer(b.data(), static_cast<DWORD>(b.size() - 2), "C:\\f", pending, r);
    EXPECT_EQ(std::vector<std::string>{"added C:\\f\\a"}, r.calls);

    // An offset pointing back into the record itself must not loop.
    r.calls.clear();
    b = Chain({{FILE_ACTION_ADDED, L"abc"}, {FILE_ACTION_ADDED, L"d"}});
    SetNext(b, 0, 4);
    WalkNotifyBuffer(b.data(), static_cast<DWORD>(b.size()), "C:\\f", pending, r);
    EXPECT_EQ(std::vector<std::string>{"added C:\\f\\abc"}, r.calls);

    // A rename's old name whose partner lies past the bytes is dropped, not paired with junk.
    r.calls.clear();
    b = Chain({{FILE_ACTION_RENAMED_OLD_NAME, L"o"}, {FILE_ACTION_RENAMED_NEW_NAME, L"n"}});
    WalkNotifyBuffer(b.data(), 16, "C:\\f", pending, r);
    EXPECT_TRUE(r.calls.empty());
    EXPECT_TRUE(pending.IsEmpty());
}

TEST(NotifyBufferWalkerTest, LongNamesAreCutAt260CharactersAndNonAsciiIsConverted) {
    Recorder r;
    CString pending;
    std::vector<BYTE> b = Chain({{FILE_ACTION_ADDED, std::wstring(300, L'n')}, {FILE_ACTION_ADDED, L"caf\u00e9"}});
    WalkNotifyBuffer(b.data(), static_cast<DWORD>(b.size()), "C:\\f", pending, r);
    ASSERT_EQ(2u, r.calls.size());
    EXPECT_EQ("added C:\\f\\" + std::string(260, 'n'), r.calls[0]);
    char expected[16];
    WCHAR wide[] = L"caf\u00e9";
    int n = WideCharToMultiByte(CP_ACP, 0, wide, 4, expected, sizeof(expected), nullptr, nullptr);
    EXPECT_EQ("added C:\\f\\" + std::string(expected, n), r.calls[1]);
}
