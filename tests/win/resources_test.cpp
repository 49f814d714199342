// The resources of the built ZK-Arbolin.exe, read back under Wine: menu 101 item by item, the bytes of
// dialog template 102, the images of icon group 114 and bitmaps 106 and 116.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "resource.h"
#include "win_support.h"

namespace {

class Resources : public testing::Test {
protected:
    static void SetUpTestSuite() {
        module_ = LoadLibraryExA(ZPath(ARBOLIN_EXE_UNIX).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    static void TearDownTestSuite() { FreeLibrary(module_); }
    void SetUp() override { ASSERT_NE(module_, nullptr) << ARBOLIN_EXE_UNIX; }
    static std::string_view Data(LPCSTR type, int id) {
        HRSRC found = FindResourceA(module_, MAKEINTRESOURCEA(id), type);
        if (!found) return {};
        return {static_cast<const char*>(LockResource(LoadResource(module_, found))), SizeofResource(module_, found)};
    }
    static HMODULE module_;
};
HMODULE Resources::module_ = nullptr;

// One line per item: two spaces a level, the text (or "---" for a separator), the id, and "[x]" when
// the item is checked.
void DescribeMenu(HMENU menu, int level, std::vector<std::string>& out) {
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[128] = {};
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        MENUITEMINFOA info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STATE | MIIM_SUBMENU;
        GetMenuItemInfoA(menu, i, TRUE, &info);
        std::string line(2 * level, ' ');
        if (info.fType & MFT_SEPARATOR) {
            line += "---";
        } else {
            line += text;
            if (!info.hSubMenu) line += " " + std::to_string(info.wID);
        }
        if (info.fState & MFS_CHECKED) line += " [x]";
        out.push_back(line);
        if (info.hSubMenu) DescribeMenu(info.hSubMenu, level + 1, out);
    }
}

TEST_F(Resources, MenuHasTheDefinedItems) {
    HMENU menu = LoadMenuA(module_, MAKEINTRESOURCEA(IDR_MAIN_MENU));
    ASSERT_NE(menu, nullptr);
    std::vector<std::string> items;
    DescribeMenu(menu, 0, items);
    DestroyMenu(menu);
    const std::vector<std::string> expected = {
        "ファイル(&F)",
        "  フォルダを選択(&W) 40002",
        "  ---",
        "  リストを保存(&S) 40009",
        "  ---",
        "  終了(&X) 40004",
        "オプション(&O)",
        "  サブフォルダ 40003",
        "  出力階層レベル",
        "    無制限 40014 [x]",
        "    ---",
        "    2 40015",
        "    3 40016",
        "    4 40017",
        "    5 40018",
        "    6 40019",
        "  ---",
        "  フォルダ名 40005",
        "  ファイル名 40006",
        "  ---",
        "  ツリー表示 40011",
        "  ---",
        "  文字数制限 40020",
        "ヘルプ(&H)",
        "  ヘルプ 40007",
        "  ---",
        "  ZK-Arbolinについて 40008",
    };
    EXPECT_EQ(items, expected);
}

// Reads an extended dialog template.
struct TemplateReader {
    const char* base;
    const char* p;
    const char* end;

    bool ok() const { return p <= end; }
    uint16_t Word() { uint16_t v = 0; if (p + 2 <= end) std::memcpy(&v, p, 2); p += 2; return v; }
    uint32_t Dword() { uint32_t v = 0; if (p + 4 <= end) std::memcpy(&v, p, 4); p += 4; return v; }
    int16_t Short() { return static_cast<int16_t>(Word()); }
    void Align() { while ((p - base) % 4) ++p; }
    // A UTF-16 string, given back in code page 932.
    std::string Text() {
        std::wstring wide;
        while (p + 2 <= end) {
            const wchar_t c = static_cast<wchar_t>(Word());
            if (!c) break;
            wide += c;
        }
        char out[512] = {};
        WideCharToMultiByte(932, 0, wide.c_str(), -1, out, sizeof out, nullptr, nullptr);
        return out;
    }
    // A class: one of the predefined ordinals, or a name.
    std::string ClassName() {
        uint16_t first = 0;
        std::memcpy(&first, p, 2);
        if (first != 0xFFFF) return "class name " + Text();
        p += 2;
        switch (const uint16_t ordinal = Word()) {
            case 0x80: return "Button";
            case 0x81: return "Edit";
            case 0x82: return "Static";
            default: return "#" + std::to_string(ordinal);
        }
    }
    std::string TextOrOrdinal() {
        uint16_t first = 0;
        std::memcpy(&first, p, 2);
        if (first != 0xFFFF) return Text();
        p += 2;
        return "#" + std::to_string(Word());
    }
};

struct Control {
    std::string windowClass, text;
    int32_t id;
    uint32_t style, exStyle;
    int16_t x, y, cx, cy;
    bool operator==(const Control&) const = default;
};

void PrintTo(const Control& c, std::ostream* os) {
    *os << c.windowClass << " \"" << c.text << "\" id " << c.id << " style 0x" << std::hex << c.style << " ex 0x"
        << c.exStyle << std::dec << " at " << c.x << "," << c.y << " " << c.cx << "x" << c.cy;
}

constexpr uint32_t kChild = WS_CHILD | WS_VISIBLE;

TEST_F(Resources, AboutTemplateHasTheDefinedBytes) {
    const std::string_view data = Data(RT_DIALOG, IDD_ABOUT);
    ASSERT_FALSE(data.empty());
    TemplateReader r{data.data(), data.data(), data.data() + data.size()};
    EXPECT_EQ(r.Word(), 1);       // dlgVer
    EXPECT_EQ(r.Word(), 0xFFFF);  // signature: an extended template
    EXPECT_EQ(r.Dword(), 0u);     // helpID
    EXPECT_EQ(r.Dword(), 0u);     // exStyle
    EXPECT_EQ(r.Dword(), uint32_t(DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION | WS_SYSMENU));
    const uint16_t count = r.Word();
    EXPECT_EQ(count, 13);
    EXPECT_EQ(r.Short(), 0);
    EXPECT_EQ(r.Short(), 0);
    EXPECT_EQ(r.Short(), 191);
    EXPECT_EQ(r.Short(), 193);
    EXPECT_EQ(r.Word(), 0);  // no menu
    EXPECT_EQ(r.Word(), 0);  // the standard dialog class
    EXPECT_EQ(r.Text(), "ZK-Arbolin");
    EXPECT_EQ(r.Word(), 9);    // points
    EXPECT_EQ(r.Word(), 400);  // weight
    EXPECT_EQ(r.Word(), 0x8000);  // italic 0, character set 0x80 (SHIFTJIS_CHARSET)
    EXPECT_EQ(r.Text(), "ＭＳ Ｐゴシック");

    std::vector<Control> controls;
    for (int i = 0; i < count && r.ok(); ++i) {
        r.Align();
        Control c{};
        r.Dword();  // helpID
        c.exStyle = r.Dword();
        c.style = r.Dword();
        c.x = r.Short(), c.y = r.Short(), c.cx = r.Short(), c.cy = r.Short();
        c.id = static_cast<int32_t>(r.Dword());
        c.windowClass = r.ClassName();
        c.text = r.TextOrOrdinal();
        r.p += r.Word();  // creation data
        controls.push_back(c);
    }
    const std::vector<Control> expected = {
        {"Button", "OK", IDOK, kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 134, 22, 50, 14},
        {"Static", "Build on 2001/05/19", -1, kChild | SS_LEFT, WS_EX_TRANSPARENT, 60, 47, 64, 17},
        {"Static", "(C) 2026 ZK-Arbolin", -1, kChild | SS_LEFT, WS_EX_TRANSPARENT, 93, 175, 84, 8},
        {"Button", "ZK-Arbolin", -1, kChild | BS_GROUPBOX, 0, 58, 11, 68, 57},
        {"Static", "Version 2.01", -1, kChild | SS_LEFT, WS_EX_TRANSPARENT, 60, 29, 40, 12},
        {"Edit", "", IDC_WEB_ADDRESS, kChild | ES_LEFT | ES_AUTOHSCROLL | WS_BORDER, 0, 59, 155, 125, 12},
        {"Static", "ご意見ご感想はこちらまで", -1, kChild | SS_LEFT, 0, 77, 77, 80, 9},
        {"Edit", "", IDC_MAIL_ADDRESS, kChild | ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 0, 104, 93, 80, 15},
        {"Static", "#114", -1, kChild | SS_ICON, 0, 100, 25, 20, 20},
        {"Static", "#106", -1, kChild | SS_BITMAP | SS_SUNKEN, WS_EX_CLIENTEDGE, 7, 7, 47, 178},
        {"Static", "#116", -1, kChild | SS_BITMAP, 0, 55, 119, 114, 27},
        {"Button", "Send Mail", IDC_SEND_MAIL, kChild | BS_PUSHBUTTON | BS_FLAT, 0, 60, 93, 37, 16},
        {"Button", "Go!!", IDC_GO, kChild | BS_PUSHBUTTON | BS_FLAT | WS_TABSTOP, 0, 58, 170, 30, 16},
    };
    EXPECT_EQ(controls, expected);
    EXPECT_TRUE(r.ok());
}

struct Image {
    int width, height, bits;
    bool operator==(const Image&) const = default;
};

void PrintTo(const Image& i, std::ostream* os) { *os << i.width << "x" << i.height << "x" << i.bits; }

Image HeaderOf(std::string_view data) {
    BITMAPINFOHEADER header{};
    if (data.size() >= sizeof header) std::memcpy(&header, data.data(), sizeof header);
    return {header.biWidth, header.biHeight, header.biBitCount};
}

#pragma pack(push, 2)
struct GroupEntry {
    BYTE width, height, colours, reserved;
    WORD planes, bits;
    DWORD bytes;
    WORD id;
};
#pragma pack(pop)

TEST_F(Resources, IconGroupHoldsThreeImages) {
    const std::string_view group = Data(RT_GROUP_ICON, IDI_APP);
    ASSERT_GE(group.size(), 6u + 3 * sizeof(GroupEntry));
    uint16_t header[3];
    std::memcpy(header, group.data(), sizeof header);
    EXPECT_EQ(header[1], 1);  // icons
    ASSERT_EQ(header[2], 3);
    std::vector<Image> directory, images;
    for (int i = 0; i < 3; ++i) {
        GroupEntry e;
        std::memcpy(&e, group.data() + 6 + i * sizeof e, sizeof e);
        directory.push_back({e.width, e.height, e.bits});
        Image image = HeaderOf(Data(RT_ICON, e.id));
        image.height /= 2;  // colour and mask
        images.push_back(image);
    }
    const std::vector<Image> expected = {{32, 32, 8}, {32, 32, 24}, {16, 16, 24}};
    EXPECT_EQ(directory, expected);
    EXPECT_EQ(images, expected);
}

TEST_F(Resources, BitmapsHaveTheirSizes) {
    EXPECT_EQ(HeaderOf(Data(RT_BITMAP, IDB_MASCOT)), (Image{72, 257, 24}));
    EXPECT_EQ(HeaderOf(Data(RT_BITMAP, IDB_BANNER)), (Image{200, 40, 24}));
}

}  // namespace
