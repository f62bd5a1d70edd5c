// The resources as the program, other programs and the applet rely on them.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <string>
#include "app/app_state.h"
#include "res/resource.h"

namespace {

// A parsed DIALOG (not DIALOGEX) template.
struct DialogItem {
    DWORD Style;
    short X, Y, Cx, Cy;
    WORD Id;
    std::string Class;  // "BUTTON" style for atoms
    std::string Text;
};

struct DialogTemplate {
    DWORD Style;
    DWORD ExStyle;
    short X, Y, Cx, Cy;
    std::string Menu, Class, Caption, Font;
    WORD PointSize;
    std::vector<DialogItem> Items;
};

const WORD *ReadSzOrOrd(const WORD *p, std::string *out)
{
    if (*p == 0x0000) {
        out->clear();
        return p + 1;
    }
    if (*p == 0xFFFF) {
        char buf[16];
        snprintf(buf, sizeof buf, "#0x%04X", p[1]);
        *out = buf;
        return p + 2;
    }
    out->clear();
    while (*p)
        out->push_back((char)*p++);
    return p + 1;
}

// Predefined classes may be stored as atoms or as names.
std::string ClassName(const std::string &stored)
{
    if (stored == "#0x0080")
        return "BUTTON";
    if (stored == "#0x0082")
        return "STATIC";
    return stored;
}

const WORD *AlignDword(const WORD *p)
{
    return (const WORD *)(((ULONG_PTR)p + 3) & ~(ULONG_PTR)3);
}

DialogTemplate LoadDialogTemplate(int id)
{
    HRSRC found = FindResourceA(App.Instance, MAKEINTRESOURCEA(id), (LPCSTR)RT_DIALOG);
    EXPECT_TRUE(found != NULL);
    const DLGTEMPLATE *t = (const DLGTEMPLATE *)LockResource(LoadResource(App.Instance, found));
    DialogTemplate d;
    d.Style = t->style;
    d.ExStyle = t->dwExtendedStyle;
    d.X = t->x;
    d.Y = t->y;
    d.Cx = t->cx;
    d.Cy = t->cy;
    const WORD *p = (const WORD *)(t + 1);
    p = ReadSzOrOrd(p, &d.Menu);
    p = ReadSzOrOrd(p, &d.Class);
    p = ReadSzOrOrd(p, &d.Caption);
    d.PointSize = 0;
    if (t->style & DS_SETFONT) {
        d.PointSize = *p++;
        p = ReadSzOrOrd(p, &d.Font);
    }
    for (int i = 0; i < t->cdit; i++) {
        p = AlignDword(p);
        const DLGITEMTEMPLATE *item = (const DLGITEMTEMPLATE *)p;
        DialogItem it;
        it.Style = item->style;
        it.X = item->x;
        it.Y = item->y;
        it.Cx = item->cx;
        it.Cy = item->cy;
        it.Id = item->id;
        p = (const WORD *)(item + 1);
        p = ReadSzOrOrd(p, &it.Class);
        it.Class = ClassName(it.Class);
        p = ReadSzOrOrd(p, &it.Text);
        WORD extra = *p++;
        p = (const WORD *)((const BYTE *)p + extra);
        d.Items.push_back(it);
    }
    return d;
}

std::string LoadString(UINT id)
{
    char buf[512] = "";
    LoadStringA(App.Instance, id, buf, sizeof buf);
    return buf;
}

TEST(Resources, MainDialogIsHiddenWithItsClassAndOneCentredStatic)
{
    DialogTemplate d = LoadDialogTemplate(IDD_MAIN);
    EXPECT_EQ(0x80880040u, d.Style);
    EXPECT_EQ(0u, d.ExStyle);
    EXPECT_EQ(0u, d.Style & WS_VISIBLE);
    EXPECT_EQ(0, lstrcmpiA("stylohid", d.Class.c_str()));
    EXPECT_EQ("", d.Menu);
    EXPECT_EQ("", d.Caption);
    EXPECT_EQ(0, d.X);
    EXPECT_EQ(0, d.Y);
    EXPECT_EQ(141, d.Cx);
    EXPECT_EQ(49, d.Cy);
    EXPECT_EQ(8, d.PointSize);
    EXPECT_EQ("MS Sans Serif", d.Font);
    ASSERT_EQ(1u, d.Items.size());
    const DialogItem &s = d.Items[0];
    EXPECT_EQ(0x50020001u, s.Style);
    EXPECT_EQ(0xFFFF, s.Id);
    EXPECT_EQ("STATIC", s.Class);
    EXPECT_EQ("Vellum USB Tablet Device Instlall OK!", s.Text);
    EXPECT_EQ(7, s.X);
    EXPECT_EQ(21, s.Y);
    EXPECT_EQ(127, s.Cx);
    EXPECT_EQ(11, s.Cy);
}

TEST(Resources, SensitivityDialogHasItsControlsInOrder)
{
    DialogTemplate d = LoadDialogTemplate(IDD_SENSITIVITY);
    EXPECT_EQ(0x90C800C0u, d.Style);
    EXPECT_EQ(0u, d.ExStyle);
    EXPECT_EQ("Vellum USB Tablet configuration", d.Caption);
    EXPECT_EQ("", d.Class);
    EXPECT_EQ(187, d.Cx);
    EXPECT_EQ(95, d.Cy);
    EXPECT_EQ("MS Sans Serif", d.Font);
    EXPECT_EQ(8, d.PointSize);
    struct Expected {
        WORD Id;
        const char *Class;
        const char *Text;
        DWORD Style;
        short X, Y, Cx, Cy;
    } expected[] = {
        {1, "BUTTON", "OK", 0x50010001, 36, 74, 50, 14},
        {2, "BUTTON", "Cancel", 0x50010000, 95, 74, 50, 14},
        {4001, "msctls_trackbar32", "Slider1", 0x50010001, 30, 22, 124, 21},
        {0xFFFF, "STATIC", "Low", 0x50020000, 30, 46, 16, 10},
        {0xFFFF, "STATIC", "High", 0x50020000, 144, 46, 16, 10},
        {0xFFFF, "BUTTON", "&Relative Sensitivity", 0x50000007, 10, 7, 160, 55},
    };
    ASSERT_EQ(6u, d.Items.size());
    for (size_t i = 0; i < 6; i++) {
        const DialogItem &it = d.Items[i];
        EXPECT_EQ(expected[i].Id, it.Id) << i;
        EXPECT_EQ(0, lstrcmpiA(expected[i].Class, it.Class.c_str())) << i << " " << it.Class;
        EXPECT_EQ(expected[i].Text, it.Text) << i;
        EXPECT_EQ(expected[i].Style, it.Style) << i;
        EXPECT_EQ(expected[i].X, it.X) << i;
        EXPECT_EQ(expected[i].Y, it.Y) << i;
        EXPECT_EQ(expected[i].Cx, it.Cx) << i;
        EXPECT_EQ(expected[i].Cy, it.Cy) << i;
    }
}

TEST(Resources, PopupMenuHoldsTheCommandsInOrderWithoutStates)
{
    HMENU menu = LoadMenuA(App.Instance, POPUP_MENU_NAME);
    ASSERT_TRUE(menu != NULL);
    ASSERT_EQ(1, GetMenuItemCount(menu));
    char text[64];
    GetMenuStringA(menu, 0, text, sizeof text, MF_BYPOSITION);
    EXPECT_STREQ("&Do", text);
    HMENU popup = GetSubMenu(menu, 0);
    ASSERT_TRUE(popup != NULL);
    struct Item {
        UINT Id;
        const char *Text;  // NULL: separator
    } items[] = {
        {IDM_ABSOLUTE, "&Absolute"}, {IDM_RELATIVE, "&Relative"}, {0, NULL},
        {IDM_SENSITIVITY, "&Relative Sensitivity"}, {0, NULL},
        {IDM_LANDSCAPE, "&LandScape"}, {IDM_PORTRAIT, "&Portrait"}, {0, NULL},
        {IDM_CLOSE, "&Close"},
    };
    ASSERT_EQ(9, GetMenuItemCount(popup));
    for (int i = 0; i < 9; i++) {
        MENUITEMINFOA info;
        ZeroMemory(&info, sizeof info);
        info.cbSize = sizeof info;
        info.fMask = MIIM_ID | MIIM_STATE | MIIM_FTYPE;
        ASSERT_TRUE(GetMenuItemInfoA(popup, i, TRUE, &info));
        if (!items[i].Text) {
            EXPECT_TRUE(info.fType & MFT_SEPARATOR) << i;
            continue;
        }
        EXPECT_EQ(items[i].Id, info.wID) << i;
        EXPECT_EQ(0u, info.fState & (MFS_CHECKED | MFS_GRAYED | MFS_DEFAULT)) << i;
        GetMenuStringA(popup, i, text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(items[i].Text, text) << i;
    }
    DestroyMenu(menu);
}

TEST(Resources, StringsOneTwoAndSeven)
{
    EXPECT_EQ("Vellum USB Tablet Driver Error", LoadString(IDS_ERROR_CAPTION));
    EXPECT_EQ("The Vellum USB Tablet is not connected or the drivers have not been loaded.",
              LoadString(IDS_NOT_CONNECTED));
    EXPECT_EQ("The Vellum USB Tablet driver interface application could not start.",
              LoadString(IDS_CANNOT_START));
}

TEST(Resources, IconIs32By32With16Colours)
{
    HRSRC group = FindResourceA(App.Instance, MAKEINTRESOURCEA(IDI_TABLET), (LPCSTR)RT_GROUP_ICON);
    ASSERT_TRUE(group != NULL);
    const BYTE *dir = (const BYTE *)LockResource(LoadResource(App.Instance, group));
    WORD count = *(const WORD *)(dir + 4);
    ASSERT_EQ(1, count);
    const BYTE *entry = dir + 6;  // GRPICONDIRENTRY
    EXPECT_EQ(32, entry[0]);
    EXPECT_EQ(32, entry[1]);
    EXPECT_EQ(16, entry[2]);
    EXPECT_EQ(4, *(const WORD *)(entry + 6));  // bits per pixel
    EXPECT_TRUE(LoadIconA(App.Instance, MAKEINTRESOURCEA(IDI_TABLET)) != NULL);
}

std::string VersionString(const void *block, const char *name)
{
    char path[128];
    snprintf(path, sizeof path, "\\StringFileInfo\\040904E4\\%s", name);
    char *value = NULL;
    UINT size = 0;
    if (!VerQueryValueA(block, path, (void **)&value, &size) || !value)
        return "<missing>";
    return value;
}

TEST(Resources, VersionBlockNamesTheProgram)
{
    HRSRC found = FindResourceA(App.Instance, MAKEINTRESOURCEA(1), (LPCSTR)RT_VERSION);
    ASSERT_TRUE(found != NULL);
    DWORD size = SizeofResource(App.Instance, found);
    // Twice the size, as GetFileVersionInfo gives it: VerQueryValueA writes
    // the ANSI copy of a string behind the block.
    std::vector<BYTE> block(size * 2);
    memcpy(block.data(), LockResource(LoadResource(App.Instance, found)), size);
    VS_FIXEDFILEINFO *fixed = NULL;
    UINT len = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", (void **)&fixed, &len));
    EXPECT_EQ(0x00010000u, fixed->dwFileVersionMS);
    EXPECT_EQ(0x00000001u, fixed->dwFileVersionLS);
    EXPECT_EQ(0x00010000u, fixed->dwProductVersionMS);
    EXPECT_EQ(0x00000001u, fixed->dwProductVersionLS);
    EXPECT_EQ((DWORD)VOS__WINDOWS32, fixed->dwFileOS);
    EXPECT_EQ((DWORD)VFT_APP, fixed->dwFileType);
    EXPECT_EQ("Vellum USB Tablet Program", VersionString(block.data(), "FileDescription"));
    EXPECT_EQ("1.06", VersionString(block.data(), "FileVersion"));
    EXPECT_EQ("stylohid", VersionString(block.data(), "InternalName"));
    EXPECT_EQ("stylohid.exe", VersionString(block.data(), "OriginalFilename"));
    EXPECT_EQ("Vellum USB Tablet Driver", VersionString(block.data(), "ProductName"));
    EXPECT_EQ("1.06", VersionString(block.data(), "ProductVersion"));
}

}  // namespace
