// The stock list manager, driven from outside: opened from the tray menu, its list read back
// with list-view messages in the program's memory, sorted by header clicks, reordered by a
// dragged row and Ctrl+U, stocks deleted with their question, the list exported as CSV, and
// stocks copied in one Quotrix and pasted in a second one.
#include "tests/drivers/driver_support.h"
// After windows.h.
#include <commctrl.h>

#include <algorithm>
#include <cstring>

#include "dialogs/PageModel.h"
#include "files/StockCsv.h"

namespace {

using namespace quotrix::driver;
using quotrix::CStockMan;
using quotrix::kYen;
using quotrix::Narrow;
using quotrix::ParseAmountText;
using quotrix::PortfolioPlacement;
using quotrix::PriceValue;
using quotrix::StockFileHeader;
using quotrix::Utf8ToSjis;
using quotrix::Wide;
using Stocks = quotrix::StockList;

// The manager's window, controls and commands (resources/resource.h).
const wchar_t kTitle[] = L"Quotrix! 登録銘柄マネージャ";
constexpr int kList = 5010;
constexpr int kSortButton = 5011;
constexpr UINT kSaveCopy = 5022;
constexpr UINT kSaveCsv = 5023;
constexpr UINT kCopy = 5031;
constexpr UINT kPaste = 5032;
constexpr UINT kSelectAll = 5034;
constexpr UINT kGridLines = 5044;
constexpr UINT kManagerKey = 33070;  // Ctrl+M of the main window

// A list view of another process: its messages carry pointers into that process's memory.
class RemoteList {
  public:
    explicit RemoteList(HWND list) : list_(list) {
        DWORD pid = 0;
        GetWindowThreadProcessId(list, &pid);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (process_) memory_ = VirtualAllocEx(process_, nullptr, kSize, MEM_COMMIT, PAGE_READWRITE);
    }
    ~RemoteList() {
        if (memory_) VirtualFreeEx(process_, memory_, 0, MEM_RELEASE);
        if (process_) CloseHandle(process_);
    }
    RemoteList(const RemoteList&) = delete;
    RemoteList& operator=(const RemoteList&) = delete;

    bool Ready() const { return memory_ != nullptr; }
    HWND Window() const { return list_; }
    int Rows() const { return static_cast<int>(SendMessageW(list_, LVM_GETITEMCOUNT, 0, 0)); }

    std::wstring Text(int row, int column) {
        LVITEMW item{};
        item.iSubItem = column;
        item.pszText = reinterpret_cast<LPWSTR>(Remote(kTextAt));
        item.cchTextMax = kTextChars;
        Put(item);
        SendMessageW(list_, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(memory_));
        return TextBack();
    }

    std::vector<std::wstring> Column(int column) {
        std::vector<std::wstring> texts;
        for (int row = 0; row < Rows(); ++row) texts.push_back(Text(row, column));
        return texts;
    }

    // Title, width and alignment of a column.
    std::wstring Title(int column, int& width, int& format) {
        LVCOLUMNW c{};
        c.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        c.pszText = reinterpret_cast<LPWSTR>(Remote(kTextAt));
        c.cchTextMax = kTextChars;
        Put(c);
        SendMessageW(list_, LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(memory_));
        ReadProcessMemory(process_, memory_, &c, sizeof c, nullptr);
        width = c.cx;
        format = c.fmt & LVCFMT_JUSTIFYMASK;
        return TextBack();
    }

    // Only the given rows selected.
    void Select(const std::vector<int>& rows) {
        SetState(-1, 0);
        for (int row : rows) SetState(row, LVIS_SELECTED | LVIS_FOCUSED);
    }

    RECT ItemRect(int row) {
        RECT r{LVIR_BOUNDS, 0, 0, 0};
        Put(r);
        SendMessageW(list_, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(memory_));
        ReadProcessMemory(process_, memory_, &r, sizeof r, nullptr);
        return r;
    }

  private:
    static constexpr SIZE_T kSize = 4096;
    static constexpr SIZE_T kTextAt = 1024;
    static constexpr int kTextChars = 512;

    void* Remote(SIZE_T offset) const { return static_cast<char*>(memory_) + offset; }
    template <typename T>
    void Put(const T& value) {
        WriteProcessMemory(process_, memory_, &value, sizeof value, nullptr);
    }
    std::wstring TextBack() {
        wchar_t text[kTextChars] = {};
        ReadProcessMemory(process_, Remote(kTextAt), text, sizeof text - sizeof(wchar_t), nullptr);
        return text;
    }
    void SetState(int row, UINT state) {
        LVITEMW item{};
        item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        item.state = state;
        Put(item);
        SendMessageW(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(memory_));
    }

    HWND list_;
    HANDLE process_ = nullptr;
    void* memory_ = nullptr;
};

LPARAM Point(int x, int y) { return MAKELPARAM(x, y); }

class StockList : public QuotrixRun {
  protected:
    static HWND WaitForManager(DWORD pid, DWORD ms = kWait) {
        return WaitFor(pid, ms, [](HWND h) { return TextOf(h) == kTitle && IsWindowVisible(h); });
    }

    // Opens the manager by the main window's Ctrl+M command; its list.
    static HWND OpenManager(HWND main, const Child& child, HWND& manager) {
        PostMessageW(main, WM_COMMAND, kManagerKey, 0);
        manager = WaitForManager(child.pi.dwProcessId);
        return manager ? GetDlgItem(manager, kList) : nullptr;
    }

    // The private clipboard format of copied stocks.
    static UINT StockFormat() { return RegisterClipboardFormatW(L"Quotrix!銘柄データ"); }

    // How many stocks the clipboard's private block holds (0 without one).
    static std::uint32_t ClipboardStockCount() {
        std::uint32_t count = 0;
        if (!OpenClipboard(nullptr)) {
            ADD_FAILURE() << "the clipboard did not open";
            return count;
        }
        if (HANDLE data = GetClipboardData(StockFormat())) {
            std::memcpy(&count, GlobalLock(data), sizeof count);
            GlobalUnlock(data);
        }
        CloseClipboard();
        return count;
    }

    // A stock of the file: `shares` bought for `cost` yen, shown in the tray.
    static std::unique_ptr<CStockMan> Stock(const char* code, std::uint32_t shares, const char* cost) {
        auto stock = std::make_unique<CStockMan>(std::string(code) + ".t");
        stock->shares = shares;
        stock->cost = ParseAmountText(cost).value_or(0);
        stock->showMode = 1;
        return stock;
    }

    std::string WriteStocks(const Stocks& stocks, const char* name) {
        const std::string path = folder_ + "\\" + name + ".quotrix";
        EXPECT_TRUE(quotrix::WriteStockFile(path, stocks, PortfolioPlacement{}, 0, StockFileHeader{}));
        return path;
    }

    static std::vector<std::string> Codes(const Stocks& stocks) {
        std::vector<std::string> codes;
        for (const auto& stock : stocks) codes.push_back(stock->codeText);
        return codes;
    }

    static std::vector<std::string> Codes(RemoteList& list) {
        std::vector<std::string> codes;
        for (const std::wstring& code : list.Column(1)) codes.push_back(Narrow(code));
        return codes;
    }

    static std::vector<PriceValue> Amounts(RemoteList& list, int column) {
        std::vector<PriceValue> amounts;
        for (const std::wstring& text : list.Column(column))
            amounts.push_back(ParseAmountText(Narrow(text)).value_or(0));
        return amounts;
    }

    // Saves through the main window and reads the file back.
    Stocks SaveAndRead(HWND main, const std::string& path) {
        // Saved over a file removed first, so that its coming back tells the save is done.
        const std::string moved = path + ".old";
        DeleteFileW(Wide(moved).c_str());
        MoveFileW(Wide(path).c_str(), Wide(moved).c_str());
        PostMessageW(main, WM_COMMAND, kSaveCommand, 0);
        EXPECT_TRUE(WaitForFile(path));
        Sleep(300);
        return ReadBack(path);
    }

    // Clicks the list's column header `column` (widths from the list itself).
    static void ClickHeader(HWND list, RemoteList& remote, int column) {
        HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
        ASSERT_NE(header, nullptr);
        int x = 0, width = 0, format = 0;
        for (int c = 0; c < column; ++c) {
            remote.Title(c, width, format);
            x += width;
        }
        remote.Title(column, width, format);
        const LPARAM at = Point(x + width / 2, 8);
        PostMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageW(header, WM_LBUTTONUP, 0, at);
        Sleep(500);
    }
};

TEST_F(StockList, OpensFromTheMenuShowsTheFileAndSortsDragsAndAppliesTheOrder) {
    const char* codes[] = {"7203", "6758", "9984", "6501", "8306", "9432", "7974",
                           "6861", "4063", "8035", "9983", "4502", "7267", "6954"};
    Stocks stocks;
    for (const char* code : codes) stocks.push_back(Stock(code, 0, "0"));
    stocks[0]->shares = 100;
    stocks[0]->cost = ParseAmountText("123456.78").value_or(0);
    stocks[0]->fileFlags |= 0x1;  // a border line above its portfolio row
    stocks[0]->iconIndexMode = 1;
    stocks[2]->shares = 1200;
    stocks[2]->cost = ParseAmountText("10000000").value_or(0);
    stocks[2]->tradeMode = quotrix::TRADE_MARGIN_SELL;
    stocks[3]->shares = 50;
    stocks[3]->cost = ParseAmountText("5000").value_or(0);
    stocks[4]->showMode = 20;
    stocks[5]->iconIndexMode = 2;
    const std::string path = WriteStocks(stocks, "manager list");
    const std::vector<std::string> fileOrder = Codes(stocks);
    SetDword(L"NewBoolean1", 0);

    Child child;
    HWND main = StartQuotrix(FileArgs(path), child);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitForQuotes(main, path, 14)) << Log();

    // "登録銘柄マネージャ(&M)..." of the application icon's menu.
    HWND menu = OpenTrayMenu(main, child, 1);
    ASSERT_NE(menu, nullptr);
    PostMessageW(menu, WM_CHAR, 'm', 0);
    HWND manager = WaitForManager(child.pi.dwProcessId);
    ASSERT_NE(manager, nullptr);
    HWND list = GetDlgItem(manager, kList);
    ASSERT_NE(list, nullptr);
    RemoteList remote(list);
    ASSERT_TRUE(remote.Ready());
    ASSERT_EQ(remote.Rows(), 14);
    Sleep(500);
    Screenshot("stock_list_manager");

    const wchar_t* titles[] = {L"銘柄名",   L"コード",   L"市場",   L"売買株数", L"売買種別",
                               L"売買総額", L"比較対象", L"境界線", L"表示"};
    const int widths[] = {87, 55, 40, 60, 60, 80, 65, 30, 160};
    const int formats[] = {LVCFMT_LEFT,  LVCFMT_RIGHT, LVCFMT_CENTER, LVCFMT_RIGHT, LVCFMT_CENTER,
                           LVCFMT_RIGHT, LVCFMT_LEFT,  LVCFMT_CENTER, LVCFMT_LEFT};
    for (int c = 0; c < 9; ++c) {
        int width = 0, format = 0;
        EXPECT_EQ(remote.Title(c, width, format), titles[c]);
        EXPECT_EQ(width, widths[c]) << c;
        EXPECT_EQ(format, formats[c]) << c;
    }
    // The rows in file order, with the quote server's names.
    EXPECT_EQ(Codes(remote), fileOrder);
    const std::vector<std::wstring> first = {
        L"トヨタ自動車(株)",      L"7203", L"東京", L"100", L"買", L"123,456.78", L"売買単価", L"○",
        L"トレイ, ポートフォリオ"};
    for (int c = 0; c < 9; ++c) EXPECT_EQ(remote.Text(0, c), first[c]) << c;
    const std::vector<std::wstring> empty = {
        L"ソニーグループ(株)", L"6758", L"東京", L"0", L" ", L"-", L"前日値", L"", L"トレイ, ポートフォリオ"};
    for (int c = 0; c < 9; ++c) EXPECT_EQ(remote.Text(1, c), empty[c]) << c;
    EXPECT_EQ(remote.Text(2, 4), L"信用売");
    EXPECT_EQ(remote.Text(2, 5), L"10,000,000");
    EXPECT_EQ(remote.Text(4, 8), L"デスクトップ, ポートフォリオ");
    EXPECT_EQ(remote.Text(5, 6), L"目標株価");

    // "売買総額": ascending, then a second click reverses.
    ClickHeader(list, remote, 5);
    std::vector<PriceValue> totals = Amounts(remote, 5);
    EXPECT_TRUE(std::is_sorted(totals.begin(), totals.end()));
    EXPECT_EQ(Narrow(remote.Text(13, 1)), "9984");
    ClickHeader(list, remote, 5);
    totals = Amounts(remote, 5);
    EXPECT_TRUE(std::is_sorted(totals.rbegin(), totals.rend()));
    EXPECT_EQ(Narrow(remote.Text(0, 1)), "9984");
    // "コード" as numbers.
    ClickHeader(list, remote, 1);
    std::vector<std::string> sortedCodes = fileOrder;
    std::sort(sortedCodes.begin(), sortedCodes.end());
    EXPECT_EQ(Codes(remote), sortedCodes);

    // A row dragged onto the third: only the manager's rows change.
    const std::vector<std::string> beforeDrag = Codes(remote);
    remote.Select({0});
    const RECT from = remote.ItemRect(0);
    const RECT to = remote.ItemRect(2);
    const int x = 40;
    const int fromY = (from.top + from.bottom) / 2;
    const int toY = (to.top + to.bottom) / 2;
    PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, Point(x, fromY));
    PostMessageW(list, WM_MOUSEMOVE, MK_LBUTTON, Point(x, fromY + 12));
    PostMessageW(list, WM_MOUSEMOVE, MK_LBUTTON, Point(x, toY));
    Sleep(300);
    POINT drop{x, toY};
    MapWindowPoints(list, manager, &drop, 1);
    PostMessageW(manager, WM_MOUSEMOVE, MK_LBUTTON, Point(drop.x, drop.y));
    PostMessageW(manager, WM_LBUTTONUP, 0, Point(drop.x, drop.y));
    Sleep(500);
    std::vector<std::string> dragged = beforeDrag;
    std::rotate(dragged.begin(), dragged.begin() + 1, dragged.begin() + 3);
    EXPECT_EQ(Codes(remote), dragged);
    EXPECT_EQ(Codes(SaveAndRead(main, path)), fileOrder);

    // Ctrl+U puts the stock list, and so the saved file, in the manager's order.
    // Injected keys reach the foreground window's thread; Wine now and then drops a first one,
    // and applying the same order again changes nothing, so the key may be pressed again.
    std::vector<std::string> saved;
    for (int attempt = 0; attempt < 3 && saved != dragged; ++attempt) {
        SetForegroundWindow(manager);
        WaitUntil([&] { return GetForegroundWindow() == manager; }, 3000);
        ASSERT_EQ(GetForegroundWindow(), manager) << "the manager did not become the foreground window";
        INPUT keys[4] = {};
        for (INPUT& key : keys) key.type = INPUT_KEYBOARD;
        keys[0].ki.wVk = VK_CONTROL;
        keys[1].ki.wVk = 'U';
        keys[2].ki.wVk = 'U';
        keys[2].ki.dwFlags = KEYEVENTF_KEYUP;
        keys[3].ki.wVk = VK_CONTROL;
        keys[3].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(4, keys, sizeof(INPUT));
        Sleep(1000);
        saved = Codes(SaveAndRead(main, path));
    }
    EXPECT_EQ(saved, dragged);

    // The sort button does the same after another sort.
    ClickHeader(list, remote, 1);
    PostMessageW(GetDlgItem(manager, kSortButton), BM_CLICK, 0, 0);
    Sleep(300);
    EXPECT_EQ(Codes(SaveAndRead(main, path)), Codes(remote));

    // "境界線(&G)": grid lines in the list, kept in the settings written as the manager closes.
    PostMessageW(manager, WM_COMMAND, kGridLines, 0);
    Sleep(300);
    EXPECT_TRUE(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & LVS_EX_GRIDLINES);
    PostMessageW(manager, WM_CLOSE, 0, 0);
    EXPECT_TRUE(WaitUntil([&] { return !WaitForManager(child.pi.dwProcessId, 0); }));
    WaitUntil([] { return (GetDword(L"NewBoolean1", 0) & 1) != 0; });
    EXPECT_EQ(GetDword(L"NewBoolean1", 0), 1u);
    SetDword(L"NewBoolean1", 0);
    // Closed, the manager lets the program end again.
    EXPECT_EQ(ExitQuotrix(main, child), 0u);
}

TEST_F(StockList, DeleteAsksOnlyAboutStocksThatStillExist) {
    Stocks stocks;
    for (const char* code : {"7203", "6758", "9984", "6501"}) stocks.push_back(Stock(code, 0, "0"));
    const std::string path = WriteStocks(stocks, "manager delete");
    Child child;
    HWND main = StartQuotrix(FileArgs(path), child);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitForQuotes(main, path, 4)) << Log();
    const std::vector<int> ids = StockIds();
    ASSERT_EQ(ids.size(), 4u);

    HWND manager = nullptr;
    RemoteList remote(OpenManager(main, child, manager));
    ASSERT_TRUE(remote.Ready());
    HWND list = remote.Window();
    ASSERT_EQ(remote.Rows(), 4);
    remote.Select({0, 1, 2});

    // 6758 goes by its own tray menu while the manager still lists it.
    HWND menu = OpenTrayMenu(main, child, static_cast<WPARAM>(ids[1]));
    ASSERT_NE(menu, nullptr);
    PostMessageW(menu, WM_CHAR, 'd', 0);
    HWND single = WaitForBox(child.pi.dwProcessId, L"この銘柄を削除します。");
    ASSERT_NE(single, nullptr);
    PostMessageW(single, WM_COMMAND, IDYES, 0);
    ASSERT_TRUE(WaitForBoxGone(child.pi.dwProcessId, L"この銘柄を削除します。"));
    EXPECT_EQ(remote.Rows(), 4);

    // Del in the list: the question names the two stocks that are left of the three.
    PostMessageW(list, WM_KEYDOWN, VK_DELETE, 0x01530001);
    PostMessageW(list, WM_KEYUP, VK_DELETE, 0xC1530001);
    HWND question = WaitForBox(child.pi.dwProcessId, L"次の2銘柄を削除します。よろしいですか？");
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(TextOf(question), L"銘柄の削除");
    bool listed = false;
    for (HWND c = GetWindow(question, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        listed |= TextOf(c) ==
                  L"次の2銘柄を削除します。よろしいですか？\r\n\r\n・トヨタ自動車(株) (7203.T)\r\n"
                  L"・ソフトバンクグループ(株) (9984.T)\r\n";
    EXPECT_TRUE(listed);
    PostMessageW(question, WM_COMMAND, IDYES, 0);
    ASSERT_TRUE(WaitForBoxGone(child.pi.dwProcessId, L"次の2銘柄を削除します。"));
    WaitUntil([&] { return remote.Rows() == 1; });
    EXPECT_EQ(Codes(remote), std::vector<std::string>{"6501"});
    EXPECT_EQ(Codes(SaveAndRead(main, path)), std::vector<std::string>{"6501"});
    EXPECT_EQ(ExitQuotrix(main, child), 0u);
}

TEST_F(StockList, CsvExportWritesTheExactBytes) {
    // No quote site answers (nothing listens on the discard port): the stocks keep the values
    // of the file.
    for (const wchar_t* key : {L"HostDetail", L"HostQuote", L"HostTimeSeries", L"HostNews", L"HostBoard",
                               L"HostProfile", L"HostPremiumQuote", L"HostPremiumNews", L"HostCurrent"})
        SetText(key, L"127.0.0.1:9");
    Stocks stocks;
    stocks.push_back(Stock("1001", 100, "123456.78"));
    stocks.back()->name = Utf8ToSjis("テスト,一号");
    stocks.back()->price = 1300 * kYen;
    stocks.back()->change = -25 * kYen;
    stocks.back()->volume = 45000;
    stocks.back()->open = 1320 * kYen;
    stocks.back()->high = 1325 * kYen;
    stocks.back()->low = 12995 * kYen / 10;
    stocks.back()->prevClose = 1325 * kYen;
    stocks.back()->updateTime = "15:00";
    stocks.push_back(Stock("1002", 0, "0"));
    stocks.back()->name = Utf8ToSjis("株なし");
    stocks.back()->price = 5 * kYen;
    const std::string path = WriteStocks(stocks, "manager csv");
    const std::string csv = folder_ + "\\manager export.csv";
    DeleteFileW(Wide(csv).c_str());

    Child child;
    HWND main = StartCompleted(FileArgs(path), child);
    ASSERT_NE(main, nullptr);
    HWND manager = nullptr;
    ASSERT_NE(OpenManager(main, child, manager), nullptr);

    PostMessageW(manager, WM_COMMAND, kSaveCsv, 0);
    // The dialog's own boxes do not give their text to another process under Wine: the initial
    // name "新しい銘柄データ.csv" in the file name box is for a person to see on the screenshot.
    ASSERT_TRUE(SaveThroughFileDialog(child.pi.dwProcessId, L"CSV形式で保存", csv, "stock_list_csv_dialog"));
    Sleep(300);

    const std::string expected = Utf8ToSjis(
        "銘柄名,コード,更新時刻,株価,前日比,出来高,始値,高値,安値,前日終値,株数,売買総額,売買単価,損益\r\n"
        "テスト,一号,1001.T,15:00,1300,-25,45000,1320,1325,1299.50,1325,100,123456.78,1234.56,6543.22\r\n"
        "株なし,1002.T,,5,0,0,0,0,0,0,0,0,0,0\r\n");
    EXPECT_EQ(FileBytes(csv), expected);
    EXPECT_EQ(ExitQuotrix(main, child), 0u);
}

TEST_F(StockList, StocksCopiedInOneQuotrixArePastedInAnother) {
    Stocks first;
    first.push_back(Stock("7203", 300, "850000"));
    first.push_back(Stock("9984", 0, "0"));
    first.push_back(Stock("6501", 40, "150000.5"));
    const std::string firstPath = WriteStocks(first, "manager copy from");
    Stocks second;
    second.push_back(Stock("6758", 0, "0"));
    const std::string secondPath = WriteStocks(second, "manager paste to");

    Child a, b;
    HWND mainA = StartQuotrix(FileArgs(firstPath), a);
    ASSERT_NE(mainA, nullptr);
    ASSERT_TRUE(WaitForQuotes(mainA, firstPath, 3)) << Log();
    HWND mainB = StartQuotrix(FileArgs(secondPath), b);
    ASSERT_NE(mainB, nullptr);
    ASSERT_TRUE(WaitForQuotes(mainB, secondPath, 1));

    HWND managerA = nullptr;
    RemoteList remoteA(OpenManager(mainA, a, managerA));
    ASSERT_TRUE(remoteA.Ready());
    remoteA.Select({0, 2});
    PostMessageW(managerA, WM_COMMAND, kCopy, 0);

    // The private block and the text of two lines without the header, tab-separated.
    ASSERT_TRUE(WaitUntil([] { return IsClipboardFormatAvailable(StockFormat()) != FALSE; }));
    ASSERT_TRUE(OpenClipboard(nullptr));
    std::wstring text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        text = static_cast<const wchar_t*>(GlobalLock(data));
        GlobalUnlock(data);
    }
    CloseClipboard();
    EXPECT_EQ(ClipboardStockCount(), 2u);
    EXPECT_EQ(std::count(text.begin(), text.end(), L'\n'), 2);
    EXPECT_EQ(text.find(L"銘柄名"), std::wstring::npos);
    EXPECT_EQ(text.find(L','), std::wstring::npos);
    EXPECT_EQ(text.rfind(L"トヨタ自動車(株)\t7203.T\t", 0), 0u);
    EXPECT_NE(text.find(L"\t6501.T\t"), std::wstring::npos);

    // Pasted in the second program: appended with their holdings.
    HWND managerB = nullptr;
    RemoteList remoteB(OpenManager(mainB, b, managerB));
    ASSERT_TRUE(remoteB.Ready());
    ASSERT_EQ(remoteB.Rows(), 1);
    PostMessageW(managerB, WM_COMMAND, kPaste, 0);
    WaitUntil([&] { return remoteB.Rows() >= 3; });
    EXPECT_EQ(Codes(remoteB), (std::vector<std::string>{"6758", "7203", "6501"}));
    const Stocks pasted = SaveAndRead(mainB, secondPath);
    ASSERT_EQ(Codes(pasted), (std::vector<std::string>{"6758", "7203", "6501"}));
    EXPECT_EQ(pasted[1]->shares, 300u);
    EXPECT_EQ(pasted[1]->cost, 850000 * kYen);
    EXPECT_EQ(pasted[2]->shares, 40u);
    EXPECT_EQ(pasted[2]->cost, ParseAmountText("150000.5").value_or(0));
    EXPECT_EQ(pasted[1]->name, Utf8ToSjis("トヨタ自動車(株)"));

    // Select-all and copy in the second puts all three; the first program's file is untouched.
    PostMessageW(managerB, WM_COMMAND, kSelectAll, 0);
    PostMessageW(managerB, WM_COMMAND, kCopy, 0);
    Sleep(500);
    EXPECT_EQ(ClipboardStockCount(), 3u);
    EXPECT_EQ(Codes(ReadBack(firstPath)), (std::vector<std::string>{"7203", "9984", "6501"}));
    EXPECT_EQ(ExitQuotrix(mainB, b), 0u);
    EXPECT_EQ(ExitQuotrix(mainA, a), 0u);
}

}  // namespace

namespace {

TEST_F(StockList, RowMenusActOnOneStockOrOnTheSelection) {
    Stocks stocks;
    for (const char* code : {"7203", "6758", "9984"}) stocks.push_back(Stock(code, 0, "0"));
    const std::string path = WriteStocks(stocks, "manager menus");
    Child child;
    HWND main = StartQuotrix(FileArgs(path), child);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitForQuotes(main, path, 3)) << Log();
    HWND manager = nullptr;
    RemoteList remote(OpenManager(main, child, manager));
    ASSERT_TRUE(remote.Ready());
    HWND list = remote.Window();
    ASSERT_EQ(remote.Rows(), 3);

    auto rightClick = [&](int row) {
        const RECT r = remote.ItemRect(row);
        const LPARAM at = Point(40, (r.top + r.bottom) / 2);
        PostMessageW(list, WM_RBUTTONDOWN, MK_RBUTTON, at);
        PostMessageW(list, WM_RBUTTONUP, 0, at);
        return WaitForMenu(child.pi.dwProcessId, 5000);
    };

    // One stock: "非表示(&H)" takes it out of the portfolio, and its row says so at once.
    remote.Select({1});
    HWND menu = rightClick(1);
    ASSERT_NE(menu, nullptr);
    PostMessageW(menu, WM_CHAR, 'h', 0);
    ASSERT_TRUE(WaitForMenuGone(child.pi.dwProcessId));
    WaitUntil([&] { return remote.Text(1, 8) == L"トレイ"; }, 5000);
    EXPECT_EQ(remote.Text(1, 8), L"トレイ");
    const Stocks saved = SaveAndRead(main, path);
    ASSERT_EQ(saved.size(), 3u);
    EXPECT_EQ(saved[1]->fileFlags & 0x2, 0u);
    EXPECT_EQ(saved[0]->fileFlags & 0x2, 0x2u);

    // Several: the multi-selection menu; its "コピー(&C)" puts both on the clipboard.
    OpenClipboard(nullptr);
    EmptyClipboard();
    CloseClipboard();
    remote.Select({0, 2});
    menu = rightClick(2);
    ASSERT_NE(menu, nullptr);
    Sleep(300);
    Screenshot("stock_list_multiselect_menu");
    PostMessageW(menu, WM_CHAR, 'c', 0);
    ASSERT_TRUE(WaitForMenuGone(child.pi.dwProcessId));
    WaitUntil([] { return IsClipboardFormatAvailable(StockFormat()) != FALSE; }, 5000);
    EXPECT_EQ(ClipboardStockCount(), 2u);

    // A double click on the one selected row opens that stock's property sheet.
    remote.Select({2});
    const RECT third = remote.ItemRect(2);
    const LPARAM at = Point(40, (third.top + third.bottom) / 2);
    PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    PostMessageW(list, WM_LBUTTONUP, 0, at);
    HWND sheet = WaitFor(child.pi.dwProcessId, 10000, [](HWND h) {
        return IsWindowVisible(h) && TextOf(h).find(L"(9984.T) のプロパティ") != std::wstring::npos;
    });
    if (!sheet) {
        std::wstring titles;
        WaitFor(child.pi.dwProcessId, 0, [&](HWND h) {
            if (IsWindowVisible(h)) titles += L"[" + TextOf(h) + L"]";
            return false;
        });
        FAIL() << "no property sheet; windows: " << Narrow(titles);
    }
    PostMessageW(sheet, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindow(sheet); }));
    EXPECT_EQ(ExitQuotrix(main, child), 0u);
}

}  // namespace

namespace {

TEST_F(StockList, SaveACopyLeavesTheOpenFileTheOpenFile) {
    Stocks stocks;
    stocks.push_back(Stock("7203", 100, "250000"));
    stocks.push_back(Stock("6758", 0, "0"));
    const std::string path = WriteStocks(stocks, "manager original");
    const std::string copy = folder_ + "\\manager copy.quotrix";
    DeleteFileW(Wide(copy).c_str());
    Child child;
    HWND main = StartCompleted(FileArgs(path), child);
    ASSERT_NE(main, nullptr);
    HWND manager = nullptr;
    ASSERT_NE(OpenManager(main, child, manager), nullptr);

    PostMessageW(manager, WM_COMMAND, kSaveCopy, 0);
    ASSERT_TRUE(SaveThroughFileDialog(child.pi.dwProcessId, L"コピーに名前を付けて保存", copy));
    Sleep(300);
    const Stocks copied = ReadBack(copy);
    ASSERT_EQ(Codes(copied), (std::vector<std::string>{"7203", "6758"}));
    EXPECT_EQ(copied[0]->shares, 100u);
    EXPECT_EQ(copied[0]->cost, 250000 * kYen);

    // The main window's save still writes the file it opened.
    const std::string copyBytes = FileBytes(copy);
    EXPECT_EQ(Codes(SaveAndRead(main, path)), (std::vector<std::string>{"7203", "6758"}));
    EXPECT_EQ(FileBytes(copy), copyBytes);
    EXPECT_EQ(ExitQuotrix(main, child), 0u);
}

}  // namespace
