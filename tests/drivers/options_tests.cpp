// The options dialog, driven through its controls from outside: opening it from the menu and from
// the last-run report, the range check, what reaches the registry and the stock file, and the
// running program following at once.
#include "tests/drivers/sheet_run.h"

#include <chrono>

#include "resources/resource.h"

namespace {

using namespace quotrix;
using namespace quotrix::driver;

constexpr WPARAM kAppIcon = 1;

class Options : public SheetRun {
  protected:
    // Several pages hold controls of the same numbers: a page is the one on show.
    Options() { shownPagesOnly_ = true; }

    void TearDown() override {
        SheetRun::TearDown();
        // The settings the tests change go back to what the other suites expect.
        SetDword(L"Interval", 90000);
        SetDword(L"PF_Font", 12);
        SetDword(L"ArrowType", 0);
        SetDword(L"ProxyFlags", 0);
        SetDword(L"CheckTimeout", 0);
    }

    // Starts the program on `path` and waits until its stocks are listed.
    void Run(const std::string& path, std::size_t stocks = 1) {
        path_ = path;
        main_ = StartCompleted(FileArgs(path_), child_);
        ASSERT_NE(main_, nullptr);
        ASSERT_EQ(StockIds().size(), stocks);
    }

    // "オプション(&O)..." of the application icon's menu.
    void OpenFromMenu() {
        HWND menu = OpenTrayMenu(main_, child_, kAppIcon);
        ASSERT_NE(menu, nullptr);
        PostMessageW(menu, WM_CHAR, 'o', 0);
        sheet_ = WaitForSheet();
        ASSERT_NE(sheet_, nullptr) << Log();
    }

    HWND WaitForSheet() {
        return WaitFor(child_.pi.dwProcessId, kWait, [](HWND h) {
            return ClassOf(h) == L"#32770" && IsWindowVisible(h) && TextOf(h) == L"オプション";
        });
    }

    int TabCount() {
        HWND tabs = reinterpret_cast<HWND>(SendMessageW(sheet_, PSM_GETTABCONTROL, 0, 0));
        return tabs ? static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0)) : -1;
    }

    HWND FocusOfProgram() {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(child_.pi.dwThreadId, &info);
        return info.hwndFocus;
    }

    static void Choose(HWND dialog, int id, int index) {
        SendDlgItemMessageW(dialog, id, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    }

    void Shot(const char* name) { SheetRun::Shot(sheet_, name, 500); }

    // OK on the sheet; true when it closed.
    bool Ok() { return CloseWith(sheet_, IDOK); }

    // "設定(&S)..." of the form page: the sheet of the defaults for new stocks.
    HWND OpenStockDefaults() {
        HWND form = ShowPage(3, IDC_OPT_STD_STOCK);
        if (!form) return nullptr;
        ClickLater(form, IDC_OPT_STD_STOCK);
        return WaitFor(child_.pi.dwProcessId, kWait, [](HWND h) {
            return ClassOf(h) == L"#32770" && IsWindowVisible(h) && TextOf(h) == L"銘柄の標準設定";
        });
    }

    // A value of `key` once the program has written `expected` there (the settings are written
    // after the sheet's window has gone); the last value read otherwise.
    static DWORD WaitForValue(const wchar_t* key, const wchar_t* name, DWORD expected) {
        DWORD value = 0;
        WaitUntil(
            [&] {
                DWORD size = sizeof value;
                value = 0xFFFFFFFF;
                RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
                return value == expected;
            },
            5000);
        return value;
    }
    static DWORD WaitForSetting(const wchar_t* name, DWORD expected) {
        return WaitForValue(kSettingKey, name, expected);
    }
};

TEST_F(Options, IntervalIsCheckedStoredAndRestartsTheCheckTimer) {
    SetDword(L"Interval", 90000);
    Run(WriteFile({"7203.t"}));
    ASSERT_TRUE(WaitForQuotes(main_, path_, 1)) << Log();
    OpenFromMenu();
    HWND check = Page(IDC_OPT_INTERVAL);
    ASSERT_NE(check, nullptr);
    EXPECT_EQ(Item(check, IDC_OPT_INTERVAL), L"90");

    // 29 is refused: the range message, the focus back in the box, the sheet still open.
    Type(check, IDC_OPT_INTERVAL, L"29");
    ClickLater(sheet_, IDOK);
    ASSERT_TRUE(Acknowledge(L"30 から 10000 までの整数を入力してください。"));
    Sleep(300);
    EXPECT_TRUE(IsWindow(sheet_));
    HWND focus = nullptr;
    WaitUntil([&] { return (focus = FocusOfProgram()) == GetDlgItem(check, IDC_OPT_INTERVAL); }, 3000);
    EXPECT_EQ(focus, GetDlgItem(check, IDC_OPT_INTERVAL)) << ClassOf(focus).c_str() << " " << GetDlgCtrlID(focus);
    EXPECT_EQ(GetDword(L"Interval", 0), 90000u);

    // 30 is taken: written at once, and the next check comes 30 seconds after OK, not 90.
    Type(check, IDC_OPT_INTERVAL, L"30");
    const std::size_t before = ServerRequests("7203");
    ASSERT_TRUE(Ok());
    const auto closed = std::chrono::steady_clock::now();
    EXPECT_EQ(WaitForSetting(L"Interval", 30000), 30000u);
    while (ServerRequests("7203") == before && std::chrono::steady_clock::now() - closed < std::chrono::seconds(60))
        Sleep(200);
    const auto waited = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - closed);
    EXPECT_GT(ServerRequests("7203"), before);
    EXPECT_GE(waited.count(), 25);
    EXPECT_LE(waited.count(), 45);
}

TEST_F(Options, LastRunReportOpensTheAdvancedPageWhoseProxyAndTimeoutsAreStored) {
    SetDword(L"ThreadWait", 1);
    SetDword(L"ProxyFlags", 0);
    SetDword(L"CheckTimeout", 0);
    path_ = WriteFile({"7203.t"});
    ASSERT_TRUE(Start(g_quotrix, FileArgs(path_), child_));
    HWND report = WaitFor(child_.pi.dwProcessId, kWait, [](HWND h) {
        return IsWindowVisible(h) && GetDlgItem(h, IDC_REPORT_SET_TIMEOUTS) != nullptr;
    });
    ASSERT_NE(report, nullptr) << Log();
    ClickLater(report, IDC_REPORT_SET_TIMEOUTS);
    sheet_ = WaitForSheet();
    ASSERT_NE(sheet_, nullptr) << Log();
    main_ = WaitForMainWindow(child_.pi.dwProcessId);
    // Start-up still logs its details: the opening is witnessed.
    EXPECT_TRUE(WaitForLog("Open option dialog"));
    HWND detail = Page(IDC_OPT_TO_CONNECT);
    ASSERT_NE(detail, nullptr);
    EXPECT_EQ(TabCount(), 9);
    EXPECT_EQ(reinterpret_cast<HWND>(SendMessageW(sheet_, PSM_GETCURRENTPAGEHWND, 0, 0)), detail);
    Shot("options_9_detail");

    Click(detail, IDC_OPT_TO_CONNECT);
    Type(detail, IDC_OPT_TO_CONNECT_S, L"20");
    Click(detail, IDC_OPT_BOX(9, 0));  // own proxy
    ASSERT_TRUE(IsWindowEnabled(GetDlgItem(detail, IDC_OPT_PROXY)));
    ClickLater(detail, IDC_OPT_PROXY);
    HWND proxy = WaitForBox(child_.pi.dwProcessId, L"プロキシ サーバーの設定");
    ASSERT_NE(proxy, nullptr);
    Type(proxy, IDC_PX_ADDRESS, L"proxy.example");
    Type(proxy, IDC_PX_PORT, L"3128");
    Shot("options_proxy");
    Click(proxy, IDOK);
    ASSERT_TRUE(WaitForBoxGone(child_.pi.dwProcessId, L"プロキシ サーバーの設定"));

    // The page was added before the sheet opened: the advanced button is not offered again.
    HWND other = ShowPage(7, IDC_OPT_ADVANCED);
    ASSERT_NE(other, nullptr);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(other, IDC_OPT_ADVANCED)));

    ASSERT_TRUE(Ok());
    EXPECT_EQ(WaitForSetting(L"CheckTimeout", 20000), 20000u);
    EXPECT_EQ(GetDword(L"ProxyFlags", 0) & 1u, 1u);
    wchar_t server[256] = {};
    DWORD size = sizeof server;
    RegGetValueW(HKEY_CURRENT_USER, kSettingKey, L"ProxyServer", RRF_RT_REG_SZ, nullptr, server, &size);
    EXPECT_EQ(std::wstring(server), L"http=http://proxy.example:3128");
}

TEST_F(Options, AdvancedButtonAddsPageNineOnceAndBalanceClearIsSaved) {
    const std::string path = folder_ + "\\balance.quotrix";
    {
        StockList stocks;
        stocks.push_back(std::make_unique<CStockMan>("7203.t"));
        StockFileHeader header;
        header.cashSwitches = 0x1;  // the balance is managed
        ASSERT_TRUE(WriteStockFile(path, stocks, PortfolioPlacement{}, 5000 * kYen, header));
    }
    Run(path);
    OpenFromMenu();
    // Every page once, for a person to look at.
    const int controls[] = {IDC_OPT_INTERVAL, IDC_OPT_SECURL, IDC_OPT_PF_LIST, IDC_OPT_NAME_MAX,
                            IDC_OPT_STEP1,    IDC_OPT_FONT,   IDC_OPT_PF_FONT, IDC_OPT_ADVANCED};
    const char* names[] = {"options_1_check", "options_2_link",    "options_3_items",     "options_4_form",
                           "options_5_icon",  "options_6_desktop", "options_7_portfolio", "options_8_other"};
    for (int i = 0; i < 8; ++i) {
        ASSERT_NE(ShowPage(i, controls[i]), nullptr) << names[i];
        Shot(names[i]);
    }
    HWND other = Page(IDC_OPT_ADVANCED);
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(Item(other, IDC_OPT_BALANCE), L"5,000");
    EXPECT_EQ(TabCount(), 8);
    ClickLater(other, IDC_OPT_ADVANCED);
    ASSERT_NE(Page(IDC_OPT_TO_CONNECT), nullptr);
    EXPECT_EQ(TabCount(), 9);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(other, IDC_OPT_ADVANCED)));
    SendMessageW(other, WM_COMMAND, MAKEWPARAM(IDC_OPT_ADVANCED, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(other, IDC_OPT_ADVANCED)));
    EXPECT_EQ(TabCount(), 9);

    other = ShowPage(7, IDC_OPT_BALANCE_CLEAR);
    ASSERT_NE(other, nullptr);
    Click(other, IDC_OPT_BALANCE_CLEAR);
    EXPECT_EQ(Item(other, IDC_OPT_BALANCE), L"0");
    ASSERT_TRUE(Ok());

    // The cleared balance is the file's: the exit asks, and the saved file holds 0.
    ASSERT_EQ(ExitThroughPrompt(main_, child_, IDOK), 0u) << Log();
    StockList stocks;
    PortfolioPlacement placement;
    PriceValue cash = -1;
    StockFileHeader header;
    ASSERT_TRUE(ReadStockFile(path, stocks, placement, cash, header));
    EXPECT_EQ(cash, 0);
}

TEST_F(Options, PortfolioFontSizeResizesTheRowsAtOnce) {
    Run(WriteFile({"7203.t", "6758.t"}), 2);
    ASSERT_TRUE(WaitForQuotes(main_, path_, 2)) << Log();
    PostMessageW(main_, WM_COMMAND, ID_APP_PORTFOLIO, 0);
    ASSERT_TRUE(WaitForVisible(main_, true));
    Sleep(500);
    RECT small{};
    GetWindowRect(main_, &small);

    OpenFromMenu();
    HWND page = ShowPage(6, IDC_OPT_PF_FONT);
    ASSERT_NE(page, nullptr);
    Choose(page, IDC_OPT_PF_FONT, 0);  // 18 pixels
    ASSERT_TRUE(Ok());
    EXPECT_EQ(WaitForSetting(L"PF_Font", 18), 18u);
    RECT large{};
    WaitUntil(
        [&] {
            GetWindowRect(main_, &large);
            return large.bottom - large.top > small.bottom - small.top;
        },
        5000);
    EXPECT_GT(large.bottom - large.top, small.bottom - small.top);
    Screenshot("options_portfolio_18px");
}

TEST_F(Options, SkinDialogAndStockDefaultsAreStored) {
    SetDword(L"ArrowType", 0);
    Run(WriteFile({"7203.t"}));
    OpenFromMenu();

    // The skin: bordered and monochrome is skin code 2; a user design that cannot be read is
    // refused with its message and the dialog stays.
    HWND icon = ShowPage(4, IDC_OPT_SKIN);
    ASSERT_NE(icon, nullptr);
    ClickLater(icon, IDC_OPT_SKIN);
    HWND skin = WaitForBox(child_.pi.dwProcessId, L"矢印アイコンスキン");
    ASSERT_NE(skin, nullptr);
    Click(skin, IDC_SK_USER);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(skin, IDC_SK_FILE)));
    Type(skin, IDC_SK_FILE, L"Z:\\no such folder\\design.bmp");
    ClickLater(skin, IDOK);
    ASSERT_TRUE(Acknowledge(L"矢印アイコンデザインファイルを読み込めません。"));
    EXPECT_TRUE(IsWindow(skin));
    Click(skin, IDC_SK_BORDERED);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(skin, IDC_SK_MONO)));
    Click(skin, IDC_SK_MONO);
    Shot("options_skin");
    ClickLater(skin, IDOK);
    ASSERT_TRUE(WaitForBoxGone(child_.pi.dwProcessId, L"矢印アイコンスキン"));

    // The defaults for new stocks: "常に非表示(&H)" on their display page.
    HWND defaults = OpenStockDefaults();
    ASSERT_NE(defaults, nullptr);
    HWND display = PageOf(defaults, IDC_DP_NEVER);
    ASSERT_NE(display, nullptr);
    Click(display, IDC_DP_NEVER);
    ASSERT_TRUE(CloseWith(defaults, IDOK));

    ASSERT_TRUE(Ok());
    EXPECT_EQ(WaitForSetting(L"ArrowType", 2), 2u);
    EXPECT_EQ(WaitForValue(L"Software\\Veltrane\\Quotrix\\StdStock", L"ShowMode", 0), 0u);
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Veltrane\\Quotrix\\StdStock", 0, KEY_WRITE, &key) == 0) {
        const DWORD always = 1;
        RegSetValueExW(key, L"ShowMode", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&always), sizeof always);
        RegCloseKey(key);
    }
}

// The defaults' icon page offers "推奨設定(&R)" where a stock's offers "標準設定(&D)": yen steps 10,
// 5, 5, 10 against the previous close replace the stored percent steps against the target.
TEST_F(Options, StockDefaultsTakeTheRecommendedArrowSteps) {
    const wchar_t* key = L"Software\\Veltrane\\Quotrix\\StdStock";
    HKEY stdKey = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_WRITE, nullptr, &stdKey, nullptr), 0);
    auto put = [&](const wchar_t* name, DWORD value) {
        RegSetValueExW(stdKey, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    };
    put(L"CurPlusHighL", 30 * 10000);
    put(L"PercentFlag", 1);
    put(L"IconIndexMode", 2);
    Run(WriteFile({"7203.t"}));
    OpenFromMenu();
    HWND defaults = OpenStockDefaults();
    ASSERT_NE(defaults, nullptr);
    // The range and target buttons lead to the watch page, which has another place here than
    // on a stock's own sheet (no trade page in front).
    auto onWatchPage = [&] {
        return WaitUntil([&] {
            HWND current = reinterpret_cast<HWND>(SendMessageW(defaults, PSM_GETCURRENTPAGEHWND, 0, 0));
            return GetDlgItem(current, IDC_WP_TARGET) != nullptr;
        });
    };
    HWND display = PageOf(defaults, IDC_DP_RANGE_BUTTON);
    ASSERT_NE(display, nullptr);
    Click(display, IDC_DP_RANGE_BUTTON);
    EXPECT_TRUE(onWatchPage());
    SendMessageW(defaults, PSM_SETCURSEL, 1, 0);
    HWND icon = PageOf(defaults, IDC_IP_STEP1);
    ASSERT_NE(icon, nullptr);
    Click(icon, IDC_IP_TARGET_BUTTON);
    EXPECT_TRUE(onWatchPage());
    SendMessageW(defaults, PSM_SETCURSEL, 1, 0);
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(icon, IDC_IP_RECOMMENDED)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(icon, IDC_IP_STANDARD)));
    EXPECT_EQ(Item(icon, IDC_IP_RECOMMENDED), L"推奨設定(&R)");
    Click(icon, IDC_IP_RECOMMENDED);
    EXPECT_EQ(Item(icon, IDC_IP_STEP1), L"10");
    EXPECT_EQ(Item(icon, IDC_IP_STEP1 + 2), L"5");
    EXPECT_EQ(IsDlgButtonChecked(icon, IDC_IP_PREVIOUS), BST_CHECKED);
    Shot("options_defaults_icon_page");
    ASSERT_TRUE(CloseWith(defaults, IDOK));
    ASSERT_TRUE(Ok());
    EXPECT_EQ(WaitForValue(key, L"CurPlusHighL", 10 * 10000), 10u * 10000);
    EXPECT_EQ(WaitForValue(key, L"PercentFlag", 0), 0u);
    EXPECT_EQ(WaitForValue(key, L"IconIndexMode", 0), 0u);
    for (const wchar_t* name : {L"CurPlusHighL", L"PercentFlag", L"IconIndexMode"}) RegDeleteValueW(stdKey, name);
    RegCloseKey(stdKey);
}

}  // namespace
