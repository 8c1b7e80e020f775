#include "controls/htmllabel/HtmlDrawer.h"
#include "controls/htmllabel/HtmlDrawerProbe.h"
#include "controls/htmllabel/PaletteDib.h"
#include "common/NTServiceRes.h"
#include "libraries/HtmlResourceProbe.h"
#include "support/DibCanvas.h"
#include "support/TestSupport.h"
#include <gtest/gtest.h>

using testing_support::DibCanvas;

namespace {
CString ProbeLibrary() { return testing_support::BinFolder() + "\\HtmlResourceProbe.dll"; }

bool EntryCodeRan() { return GetEnvironmentVariableA(PROBE_ENTRY_MARKER, nullptr, 0) != 0; }

// Whether the view of a module handle (data-file handles carry flags in their low bits) is mapped.
bool Mapped(HMODULE module) {
    MEMORY_BASIC_INFORMATION info = {};
    void* base = reinterpret_cast<void*>(reinterpret_cast<ULONG_PTR>(module) & ~static_cast<ULONG_PTR>(3));
    return VirtualQuery(base, &info, sizeof(info)) && info.State != MEM_FREE;
}

TEST(CHtmlDrawerResources, NamedLibrariesAreReadWithoutRunningTheirCode) {
    SetEnvironmentVariableA(PROBE_ENTRY_MARKER, nullptr);
    const CString library = ProbeLibrary();
    {
        CHtmlDrawer drawer;
        EXPECT_EQ(drawer.LoadDllString(IDS_PROBE_TEXT, library), "Text from the library");
        // Strings that fill the first buffers are read again in larger ones.
        EXPECT_EQ(drawer.LoadDllString(IDS_PROBE_255, library).GetLength(), 255);
        EXPECT_EQ(drawer.LoadDllString(IDS_PROBE_600, library).GetLength(), 600);
        EXPECT_EQ(drawer.LoadDllString(0, library), "");
        EXPECT_EQ(drawer.LoadDllString(IDS_PROBE_TEXT, "no-such-library.dll"), "");
        EXPECT_EQ(drawer.LoadDllString(IDS_PROBE_TEXT, nullptr), "") << "no resource library yet";

        ScopedBitmap bitmap(drawer.LoadBitmapFromDll(IDB_PROBE_PICTURE, library));
        ASSERT_TRUE(bitmap);
        DibCanvas canvas(8, 4, 0);
        canvas.Put(bitmap.Get());
        EXPECT_EQ(canvas.Pixel(0, 0), RGB(255, 255, 255));
        EXPECT_EQ(canvas.Pixel(0, 3), RGB(255, 0, 0));
        EXPECT_EQ(canvas.Pixel(7, 1), RGB(0x10, 0x20, 0x30));

        ScopedIcon icon(drawer.LoadIconFromDll(IDI_PROBE_ICON, 16, 16, library));
        EXPECT_TRUE(icon);
        drawer.LoadStyleSheetFromResource(IDS_PROBE_SHEET, library);
        ASSERT_NE(drawer.FindSelector("h1"), nullptr);
        EXPECT_EQ(*drawer.FindSelector("h1"), "color:#00ff00");

        drawer.SetResourceDll(library);
        ScopedBitmap fromLibrary(drawer.LoadBitmapFromDll(IDB_PROBE_PICTURE, nullptr));
        EXPECT_TRUE(fromLibrary);
    }
    EXPECT_FALSE(EntryCodeRan());
    // The library does leave its marker when it is loaded to run.
    ScopedModule running(LoadLibraryA(library));
    ASSERT_TRUE(running);
    EXPECT_TRUE(EntryCodeRan());
}

TEST(CHtmlDrawerResources, MarkupStringsComeFromLibrariesWithoutRunningThem) {
    SetEnvironmentVariableA(PROBE_ENTRY_MARKER, nullptr);
    CHtmlDrawer drawer;
    DibCanvas canvas(300, 40);
    CString markup;
    markup.Format("<string iddll=%d srcdll=\"%s\">", IDS_PROBE_TEXT, ProbeLibrary().GetString());
    DrawMarkup(drawer, canvas, markup);
    EXPECT_GT(canvas.Bounds(RGB(255, 255, 255)).right, 20);
    drawer.SetResourceDll(ProbeLibrary());
    canvas.Fill(RGB(255, 255, 255));
    DrawMarkup(drawer, canvas, "<string iddll=1>");
    EXPECT_GT(canvas.Bounds(RGB(255, 255, 255)).right, 20) << "from the resource library";
    EXPECT_FALSE(EntryCodeRan());
}

TEST(CHtmlDrawerResources, OnlyALibraryTheDrawerLoadedIsFreedByIt) {
    const CString library = ProbeLibrary();
    ScopedModule callers(LoadLibraryExA(library, nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(callers);
    {
        CHtmlDrawer drawer;
        HtmlDrawerProbe probe(drawer);
        drawer.SetResourceDll(library);
        HMODULE loaded = probe.ResourceLibrary();
        ASSERT_NE(loaded, nullptr);
        ASSERT_TRUE(Mapped(loaded));
        drawer.FreeResourceDll(callers.Get());
        EXPECT_FALSE(Mapped(loaded)) << "the drawer's own library is freed";
        EXPECT_EQ(probe.ResourceLibrary(), callers.Get());
        EXPECT_EQ(drawer.LoadDllString(IDS_PROBE_TEXT, nullptr), "Text from the library");
        drawer.FreeResourceDll(callers.Get());
        drawer.SetResourceDll("no-such-library.dll");
        EXPECT_EQ(probe.ResourceLibrary(), nullptr);
        drawer.FreeResourceDll(callers.Get());
    }
    char text[64] = "";
    EXPECT_GT(LoadStringA(callers.Get(), IDS_PROBE_TEXT, text, sizeof(text)), 0) << "the caller's library stays";
}

TEST(CHtmlDrawerResources, TheImageListAndTheLinkCursorGoWithTheDrawer) {
    ScopedBitmap strip(testing_support::MakePicture(8, 4, [](int x, int) { return x < 4 ? 0xFF0000u : 0xFF00FFu; }));
    ScopedIcon first(testing_support::MakeSquareIcon(16, 2, RGB(1, 1, 1)));
    HICON second = testing_support::MakeSquareIcon(16, 2, RGB(2, 2, 2));
    ICONINFO info = {};
    HBITMAP listPicture = nullptr;
    {
        CHtmlDrawer drawer;
        drawer.SetImageListBitmap(strip.Get(), 4, 4, 1, RGB(255, 0, 255));
        HIMAGELIST list = HtmlDrawerProbe(drawer).ImageList();
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(ImageList_GetImageCount(list), 2);
        IMAGEINFO image = {};
        ASSERT_TRUE(ImageList_GetImageInfo(list, 0, &image));
        listPicture = image.hbmImage;
        EXPECT_EQ(GetObjectType(listPicture), static_cast<DWORD>(OBJ_BITMAP));

        drawer.SetLinkCursor(first.Get());
        EXPECT_EQ(drawer.GetLinkCursor(), first.Get());
        drawer.SetLinkCursor(first.Get());
        EXPECT_TRUE(GetIconInfo(first.Get(), &info)) << "the same cursor again is kept";
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        drawer.SetLinkCursor(second);
        EXPECT_FALSE(GetIconInfo(first.Release(), &info)) << "the replaced cursor is destroyed";
    }
    EXPECT_EQ(GetObjectType(listPicture), 0u) << "the image list is destroyed as an image list";
    EXPECT_FALSE(GetIconInfo(second, &info)) << "the link cursor is destroyed";
}

TEST(CHtmlDrawerResources, ProgramStringsAndPictureFilesLoad) {
    CHtmlDrawer drawer;
    EXPECT_EQ(drawer.LoadResourceString(IDS_NTSERV_ERROR_PAIR), "%1, %2");
    EXPECT_EQ(drawer.GetResourceStringLine(IDS_NTSERV_ERROR_PAIR, 1), "");
    testing_support::ScratchFolder folder;
    CPaletteDib dib;
    dib.Create(3, 5, 8);
    ASSERT_TRUE(dib.WriteBMP(folder.File("p.bmp")));
    ScopedBitmap loaded(drawer.LoadBitmapFromFile(folder.File("p.bmp")));
    EXPECT_EQ(CDrawManager::GetSizeOfBitmap(loaded.Get()).cy, 5);
}
}  // namespace
