#include "classlib/COleDataSource.h"
#include <gtest/gtest.h>
#include <cstring>

namespace {
HGLOBAL Text(const char* text) {
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, std::strlen(text) + 1);
    std::strcpy(static_cast<char*>(GlobalLock(data)), text);
    GlobalUnlock(data);
    return data;
}
}  // namespace

TEST(COleDataSourceTest, TargetsReadCopiesOfTheOfferedFormatsOnly) {
    COleDataSource source;
    source.CacheGlobalData(CF_TEXT, Text("first"));
    source.CacheGlobalData(CF_TEXT, Text("dragged"));  // replaces the first
    IDataObject* data = source.GetDataObject();
    FORMATETC text = {CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    FORMATETC bitmap = {CF_BITMAP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    EXPECT_EQ(S_OK, data->QueryGetData(&text));
    EXPECT_NE(S_OK, data->QueryGetData(&bitmap));
    for (int read = 0; read < 2; ++read) {
        STGMEDIUM medium = {};
        ASSERT_EQ(S_OK, data->GetData(&text, &medium));
        EXPECT_STREQ("dragged", static_cast<const char*>(GlobalLock(medium.hGlobal)));
        GlobalUnlock(medium.hGlobal);
        ReleaseStgMedium(&medium);
    }
    IEnumFORMATETC* formats = nullptr;
    ASSERT_EQ(S_OK, data->EnumFormatEtc(DATADIR_GET, &formats));
    FORMATETC listed[2] = {};
    ULONG count = 0;
    formats->Next(2, listed, &count);
    EXPECT_EQ(1u, count);
    EXPECT_EQ(CF_TEXT, listed[0].cfFormat);
    formats->Release();
    EXPECT_EQ(1u, data->Release());  // the source keeps its own reference
}

TEST(COleDataSourceTest, GlobalMemoryCopiesAreWholeAndSeparate) {
    EXPECT_EQ(nullptr, AfxCopyGlobalMemory(nullptr));
    for (const char* text : {"x", "dragged text", "a longer line of text that spans more than a few bytes"}) {
        HGLOBAL original = Text(text);
        HGLOBAL copy = AfxCopyGlobalMemory(original);
        ASSERT_NE(nullptr, copy) << text;
        EXPECT_EQ(GlobalSize(original), GlobalSize(copy)) << text;
        char* copied = static_cast<char*>(GlobalLock(copy));
        EXPECT_STREQ(text, copied);
        copied[0] = '#';  // the original does not change with it
        GlobalUnlock(copy);
        EXPECT_EQ(text[0], *static_cast<const char*>(GlobalLock(original)));
        GlobalUnlock(original);
        GlobalFree(original);
        GlobalFree(copy);
    }
}
