// The options dialog's nine pages and its two small dialogs as portable models.
//
// The sheet edits an OptionsState: a copy of the application settings and of the main window's
// run-time state (cash balance and switches of the open file, the log, the totals). Each page
// model loads its own part of the state when its window is created and, on Apply or OK, stores
// that part back into the live state; pages never created store nothing, so a setting another
// page owns is never overwritten by a stale copy.
//
// Check boxes are described by tables (FlagBox): which word of the settings, which bit, and
// whether the box is ticked when the bit is clear. The Win32 pages walk the same tables.
//
// Texts are Shift-JIS; times of the check and idle timers are milliseconds in the settings and
// seconds in the boxes; money is PriceValue; percent steps are hundredths of a percent.
// Plain values for the user-interface thread.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "dialogs/TradePage.h"  // InputProblem
#include "files/StockRecord.h"  // CashSwitchBits
#include "model/Price.h"
#include "settings/AppSettings.h"

namespace quotrix {

// What the options dialog edits.
struct OptionsState {
    AppSettings settings;
    // The open stock file's cash balance and its switches (CashSwitchBits).
    PriceValue cashBalance = 0;
    std::uint32_t cashSwitches = 0;
    // The item flags of the common settings (the store's words), for "共通設定に戻す(&C)" while the
    // open file carries its own.
    ItemFlags commonItems;
    // The total amount of the total icon (the market value of the holdings), for the unit switch.
    PriceValue totalAmount = 0;
    int logLevel = 0;            // 0 to 5
    std::string logPath;         // "LogPath": folder + base + extension
    std::string defaultLogPath;  // the temporary folder plus "Quotrix.log"
};

// The words a check box can edit.
enum class FlagWord {
    BoolFlags1,
    BoolFlags2,
    NewBoolean1,
    NameOptions,
    CheckMask,
    OtherItems,
    CashSwitches,
    ProxyFlags,
    NoAutoOffline,   // the moved BoolFlags1 bit 0 (bit 1 of this pseudo-word)
    Http10,          // the moved BoolFlags2 bit 7 (bit 1)
    MarketCalendar,  // "MarketCalendar" (bit 1)
};

struct FlagBox {
    FlagWord word;
    std::uint32_t bit;
    bool inverted;      // ticked while the bit is clear
    const char* label;  // UTF-8 source text, as on the page
};

bool FlagBoxChecked(const OptionsState& state, const FlagBox& box);
void SetFlagBox(OptionsState& state, const FlagBox& box, bool checked);
// Copies the box's bit from `from` into `to`.
void CopyFlagBox(const OptionsState& from, OptionsState& to, const FlagBox& box);

// "%1 から %2 までの整数を入力してください。" with the limits.
std::string RangeMessage(std::uint32_t low, std::uint32_t high);
// An unsigned whole number of a box within [low, high]; the refusal names the box by `field`.
std::optional<InputProblem> ReadRangedNumber(std::string_view text, std::uint32_t low, std::uint32_t high, int field,
                                             std::uint32_t& value);

// --- page 1, "チェック" ---
class OptCheckModel {
  public:
    enum Field { FIELD_INTERVAL = 1, FIELD_THREADS = 2 };
    static std::span<const FlagBox> Boxes();
    static constexpr std::uint32_t kIntervalMin = 30;
    static constexpr std::uint32_t kIntervalMax = 10000;
    static constexpr std::uint32_t kThreadsMax = 25;

    void Load(const OptionsState& state);
    std::string IntervalText() const;
    std::string ThreadsText() const;
    // Reads both boxes; on a refusal nothing is taken.
    std::optional<InputProblem> SetTexts(std::string_view interval, std::string_view threads);
    bool TimesEnabled() const;
    void Store(OptionsState& live) const;

    OptionsState work;
};

// --- page 2, "Webリンク" ---
// The brokerage address as typed becomes the stored one: a web address without its scheme gets
// "http://" in front; texts of 3 characters or fewer, and a bare scheme, give no address.
std::string NormalizeBrokerageUrl(std::string_view typed);

class OptLinkModel {
  public:
    static std::span<const FlagBox> Boxes();
    // The sixteen page kinds of "ダブルクリック時に開くページ(&P):" (UTF-8).
    static std::span<const char* const> PageKinds();
    static constexpr std::uint32_t kPageShift = 20;
    static constexpr std::uint32_t kPageMask = 0xFFu << kPageShift;
    static constexpr std::uint32_t kBoardFirst = 0x10000000;

    void Load(const OptionsState& state);
    int PageIndex() const;
    void SetPageIndex(int index);
    bool BoardFirst() const { return (work.settings.newBoolean1 & kBoardFirst) != 0; }
    void SetBoardFirst(bool board);
    void Store(OptionsState& live) const;

    OptionsState work;
    std::string brokerageText;  // the box as typed
};

// --- page 3, "表示アイテム" ---
struct DisplayItem {
    FlagWord word;      // PortfolioTextFlags (as NewBoolean1 = never; see below) or OtherItems
    std::uint32_t bit;  // the bit in that word
    const char* name;   // UTF-8
    const char* description;
};

class OptDispItemModel {
  public:
    // The rows of the portfolio list and of the tip list, in page order. A portfolio row whose
    // word is OtherItems lives in "OtherItemFlags"; the rest in "PortfolioTextFlags".
    static std::span<const DisplayItem> PortfolioItems();
    static std::span<const DisplayItem> TipItems();
    static std::span<const FlagBox> Boxes();  // the tray tip group and the description switch

    void Load(const OptionsState& state, bool fileOpen);
    bool PortfolioItem(std::size_t row) const;
    void SetPortfolioItem(std::size_t row, bool on);
    bool TipItem(std::size_t row) const;
    void SetTipItem(std::size_t row, bool on);
    bool DescriptionShown() const { return (work.settings.boolFlags2 & 0x1000) != 0; }
    // "共通設定に戻す(&C)".
    void LoadCommon();
    // Storage in the open file: only offered while a file is open.
    bool StorageChoiceEnabled() const { return fileOpen; }
    void Store(OptionsState& live) const;

    OptionsState work;
    bool inFile = false;  // "銘柄ファイルに保存(ファイル別の設定)"
    bool fileOpen = false;
};

// --- page 4, "表示形式" ---
class OptFormModel {
  public:
    enum Field { FIELD_NAME_MAX = 1 };
    static std::span<const FlagBox> Boxes();
    static constexpr std::uint32_t kNameMaxLimit = 255;

    void Load(const OptionsState& state);
    std::string NameMaxText() const;
    std::optional<InputProblem> SetNameMaxText(std::string_view text);
    void Store(OptionsState& live) const;

    OptionsState work;
};

// --- page 5, "アイコン" ---
class OptIconModel {
  public:
    static std::span<const FlagBox> Boxes();
    enum { kArrowBasisProfit = 0x2 };  // "ArrowMode" bit 1

    void Load(const OptionsState& state);
    // The four boxes, big rise to big fall, in the current unit.
    std::array<std::string, 4> StepTexts() const;
    std::optional<InputProblem> SetStepTexts(const std::array<std::string, 4>& texts);
    const std::string& UnitText(int row) const;
    // "％設定" (true) / "円設定": converts the four steps with the total amount.
    void SetPercent(bool percent);
    bool Percent() const { return work.settings.totalThresholds.percentFlag; }
    void SetProfitBasis(bool profit);
    bool ProfitBasis() const { return (work.settings.totalArrowMode & kArrowBasisProfit) != 0; }
    bool TrayShown() const { return work.settings.dispTotal != 0; }
    void SetTrayShown(bool shown);
    // "標準設定(&D)": 10, 5, 5, 10 percent, the day's change as basis.
    void LoadStandard();
    void Store(OptionsState& live) const;

    OptionsState work;
};

// The unit switch of the total icon's steps. `total` is the total amount; it is rounded to whole
// yen and taken as 100 yen when it is 10 yen or less.
PriceValue PercentStepToYen(std::uint32_t hundredths, PriceValue total);
std::uint32_t YenStepToPercent(PriceValue step, PriceValue total);

// The arrow skin ("矢印アイコンスキン").
class OptSkinModel {
  public:
    enum Choice { SKIN_PLAIN = 0, SKIN_BORDERED = 1, SKIN_USER = 3 };
    void Load(std::int32_t arrowType, const std::string& designFile);
    Choice choice() const { return choice_; }
    void SetChoice(Choice choice) { choice_ = choice; }
    bool MonochromeEnabled() const { return choice_ == SKIN_BORDERED; }
    bool FileEnabled() const { return choice_ == SKIN_USER; }
    // The skin code: 0 plain, 1 bordered, 2 bordered monochrome, 3 user design.
    std::int32_t ArrowType() const;
    static const std::string& DesignFileMessage();

    bool monochrome = false;
    std::string designFile;

  private:
    Choice choice_ = SKIN_PLAIN;
};

// --- page 6, "デスクトップ" ---
class OptDesktopModel {
  public:
    static std::span<const FlagBox> Boxes();
    void Load(const OptionsState& state);
    bool FontChosen() const { return (work.settings.boolFlags2 & BF2_DESKTOP_FONT) != 0; }
    void SetFont(const DesktopFont& font, std::uint32_t color);
    // True when storing changes the font or its colour: every desktop window is then rebuilt.
    bool FontChanged(const OptionsState& live) const;
    void Store(OptionsState& live) const;

    OptionsState work;
};

// --- page 7, "ポートフォリオ" ---
class OptPortfolioModel {
  public:
    enum Field { FIELD_IDLE_TIME = 1 };
    static std::span<const FlagBox> Boxes();
    // "極大 - 18ピクセル" ... "極小 - 9ピクセル" and their sizes.
    static std::span<const char* const> FontSizeNames();
    static std::span<const std::uint32_t> FontSizes();
    static std::span<const char* const> IdleActions();
    static constexpr std::uint32_t kIdleSecondsMax = 86400;
    static constexpr std::uint32_t kLastPlace = 0x40;  // NewBoolean1 bits 6 and 7
    static constexpr std::uint32_t kLastPlaceOff = 0x80;

    void Load(const OptionsState& state);
    int FontSizeIndex() const;  // -1 for a size not in the list
    void SetFontSizeIndex(int index);
    bool LastPlace() const;
    void SetLastPlace(bool on);
    // The alpha the slider shows and sets; clamped to 10..255.
    void SetAlpha(int alpha);
    void SetTranslucent(bool on);
    void SetIdleAction(int action);
    // "マウスイベントで最前面に自動移動(&A)" while the idle action moves the window to the back.
    const std::string& MouseBoxCaption() const;
    std::string IdleTimeText() const;
    std::optional<InputProblem> SetIdleTimeText(std::string_view text);
    // The alpha stored: 255 when translucency is off.
    std::uint8_t StoredAlpha() const;
    void Store(OptionsState& live) const;

    OptionsState work;
};

// --- page 8, "その他" ---
class OptOtherModel {
  public:
    static std::span<const FlagBox> Boxes();
    void Load(const OptionsState& state);
    bool BalanceEnabled() const { return (work.cashSwitches & CASH_MANAGED) != 0; }
    void SetBalance(PriceValue balance) { work.cashBalance = balance; }
    void ClearBalance() { work.cashBalance = 0; }
    // The read-only box "口座残高:".
    std::string BalanceText(bool groupDigits) const;
    // True when storing changes the balance: the stock file is then marked modified.
    bool BalanceChanged(const OptionsState& live) const { return live.cashBalance != work.cashBalance; }
    void Store(OptionsState& live) const;

    OptionsState work;
};

// --- page 9, "高度" ---
class OptDetailModel {
  public:
    enum Field { FIELD_CONNECT = 1, FIELD_RECEIVE = 2, FIELD_SEND = 3 };
    static std::span<const FlagBox> Boxes();  // own proxy, HTTP/1.0
    static std::span<const char* const> LogLevels();
    static constexpr std::uint32_t kTimeoutSecondsMax = 3600;

    void Load(const OptionsState& state);
    // The three time-outs: whether each is used and its box text (seconds).
    bool TimeoutUsed(int which) const { return used[static_cast<std::size_t>(which)]; }
    void SetTimeoutUsed(int which, bool on) { used[static_cast<std::size_t>(which)] = on; }
    std::string TimeoutText(int which) const;
    std::optional<InputProblem> SetTimeoutTexts(const std::array<std::string, 3>& texts);
    // "標準(&Z)" of the calculator.
    void StandardCalculator() { work.settings.calcPath = "Calc.EXE"; }
    // "標準に戻す(&D)": the calculator, the log folder and the page's other items.
    void RestoreDefaults();
    void Store(OptionsState& live) const;

    OptionsState work;
    std::array<bool, 3> used{};
    std::array<std::uint32_t, 3> seconds{{30, 30, 30}};
};

// The own proxy ("プロキシ サーバーの設定").
class OptProxyModel {
  public:
    enum Field { FIELD_PORT = 1 };
    // From the settings' proxy list ("http=http://host:port") and login.
    void Load(const AppSettings& settings);
    std::string PortText() const { return std::to_string(port); }
    std::optional<InputProblem> SetPortText(std::string_view text);
    // "設定(&C)": the values go into `settings` (the page's working copy).
    void Store(AppSettings& settings) const;

    std::string address;
    std::uint32_t port = 8080;
    bool login = false;
    std::string user;
    std::string password;
};

}  // namespace quotrix
