#include "dialogs/OptionsModel.h"

#include <algorithm>

#include "dialogs/PageModel.h"
#include "platform/TextCodec.h"

namespace quotrix {

namespace {

using W = FlagWord;

// Pseudo-words of single switches use bit 1.
std::uint32_t SwitchWord(bool on) { return on ? 1u : 0u; }

std::uint32_t ReadWord(const OptionsState& s, FlagWord word) {
    const AppSettings& a = s.settings;
    switch (word) {
        case W::BoolFlags1:
            return a.boolFlags1;
        case W::BoolFlags2:
            return a.boolFlags2;
        case W::NewBoolean1:
            return a.newBoolean1;
        case W::NameOptions:
            return a.nameOptions;
        case W::CheckMask:
            return a.checkMask;
        case W::OtherItems:
            return a.itemFlags.other;
        case W::CashSwitches:
            return s.cashSwitches;
        case W::ProxyFlags:
            return a.proxyFlags;
        case W::NoAutoOffline:
            return SwitchWord(a.noAutoUpdateOffline);
        case W::Http10:
            return SwitchWord(a.http10);
        case W::MarketCalendar:
            return SwitchWord(a.marketCalendar);
    }
    return 0;
}

void WriteBit(OptionsState& s, FlagWord word, std::uint32_t bit, bool set) {
    AppSettings& a = s.settings;
    auto apply = [&](std::uint32_t& w) { w = set ? (w | bit) : (w & ~bit); };
    switch (word) {
        case W::BoolFlags1:
            apply(a.boolFlags1);
            return;
        case W::BoolFlags2:
            apply(a.boolFlags2);
            return;
        case W::NewBoolean1:
            apply(a.newBoolean1);
            return;
        case W::NameOptions:
            apply(a.nameOptions);
            return;
        case W::CheckMask:
            apply(a.checkMask);
            return;
        case W::OtherItems:
            apply(a.itemFlags.other);
            return;
        case W::CashSwitches:
            apply(s.cashSwitches);
            return;
        case W::ProxyFlags:
            apply(a.proxyFlags);
            return;
        case W::NoAutoOffline:
            a.noAutoUpdateOffline = set;
            return;
        case W::Http10:
            a.http10 = set;
            return;
        case W::MarketCalendar:
            a.marketCalendar = set;
            return;
    }
}

void StoreBoxes(std::span<const FlagBox> boxes, const OptionsState& from, OptionsState& to) {
    for (const FlagBox& box : boxes) CopyFlagBox(from, to, box);
}

}  // namespace

bool FlagBoxChecked(const OptionsState& state, const FlagBox& box) {
    const bool set = (ReadWord(state, box.word) & box.bit) != 0;
    return set != box.inverted;
}

void SetFlagBox(OptionsState& state, const FlagBox& box, bool checked) {
    WriteBit(state, box.word, box.bit, checked != box.inverted);
}

void CopyFlagBox(const OptionsState& from, OptionsState& to, const FlagBox& box) {
    WriteBit(to, box.word, box.bit, (ReadWord(from, box.word) & box.bit) != 0);
}

std::string RangeMessage(std::uint32_t low, std::uint32_t high) {
    std::string text = SJIS("%1 から %2 までの整数を入力してください。");
    const std::string one = "%1", two = "%2";
    text.replace(text.find(one), one.size(), std::to_string(low));
    text.replace(text.find(two), two.size(), std::to_string(high));
    return text;
}

std::optional<InputProblem> ReadRangedNumber(std::string_view text, std::uint32_t low, std::uint32_t high, int field,
                                             std::uint32_t& value) {
    const std::optional<std::uint32_t> read = ParseUnsignedText(text);
    if (!read) return InputProblem{field, NotUnsignedMessage()};
    if (*read < low || *read > high) return InputProblem{field, RangeMessage(low, high)};
    value = *read;
    return std::nullopt;
}

// --- page 1 ---

std::span<const FlagBox> OptCheckModel::Boxes() {
    static const FlagBox boxes[] = {
        {W::NoAutoOffline, 1, false, "オフライン時、自動更新を試みない(&O)"},
        {W::BoolFlags1, BF1_ACTIVE_HOURS, false, "自動更新する時間帯を指定する(&T)"},
        {W::BoolFlags1, BF1_CHECK_AT_START, false, "起動時は、時間外でも自動更新する(&S)"},
        {W::CheckMask, CHECK_NEWS, false, "銘柄関連ニュースの記事更新をチェック(&A)"},
        {W::CheckMask, CHECK_BOARD, false, "掲示板の記事更新をチェック(&B)"},
        {W::MarketCalendar, 1, false, "休場日は自動更新しない(&H)"},
    };
    return boxes;
}

void OptCheckModel::Load(const OptionsState& state) { work = state; }

std::string OptCheckModel::IntervalText() const { return std::to_string(work.settings.interval / 1000); }
std::string OptCheckModel::ThreadsText() const { return std::to_string(work.settings.maxThreads); }

std::optional<InputProblem> OptCheckModel::SetTexts(std::string_view interval, std::string_view threads) {
    std::uint32_t seconds = 0, count = 0;
    if (auto problem = ReadRangedNumber(interval, kIntervalMin, kIntervalMax, FIELD_INTERVAL, seconds)) return problem;
    if (auto problem = ReadRangedNumber(threads, 1, kThreadsMax, FIELD_THREADS, count)) return problem;
    work.settings.interval = seconds * 1000;
    work.settings.maxThreads = static_cast<std::int32_t>(count);
    return std::nullopt;
}

bool OptCheckModel::TimesEnabled() const { return (work.settings.boolFlags1 & BF1_ACTIVE_HOURS) != 0; }

void OptCheckModel::Store(OptionsState& live) const {
    StoreBoxes(Boxes(), work, live);
    live.settings.interval = work.settings.interval;
    live.settings.maxThreads = work.settings.maxThreads;
    live.settings.startTime = work.settings.startTime;
    live.settings.endTime = work.settings.endTime;
}

// --- page 2 ---

std::string NormalizeBrokerageUrl(std::string_view typed) {
    if (typed.size() <= 3) return {};
    if (typed.substr(0, 4) == "http") return typed.size() > 8 ? std::string(typed) : std::string();
    if (typed.substr(0, 6) == "ftp://") return typed.size() > 6 ? std::string(typed) : std::string();
    return "http://" + std::string(typed);
}

std::span<const FlagBox> OptLinkModel::Boxes() {
    static const FlagBox boxes[] = {
        {W::NewBoolean1, 0x00000020, true, "すべてのページへのリンクをメニューに表示(&H)"},
        {W::NewBoolean1, 0x20000000, true, "銘柄関連ニュースが更新された場合、ニュースページを開く(&N)"},
        {W::NewBoolean1, 0x40000000, true, "銘柄関連掲示板が更新された場合、掲示板ページを開く(&B)"},
    };
    return boxes;
}

std::span<const char* const> OptLinkModel::PageKinds() {
    static const char* const kinds[] = {
        "チャートなし",
        "チャート（小) 1日",
        "チャート（小) 1年",
        "チャート（大) 1日",
        "チャート（大) 3ヶ月",
        "チャート（大) 1年",
        "チャート（大) 2年",
        "チャート（大) 5年",
        "チャート（大) 10年",
        "時系列データ",
        "銘柄関連ニュース",
        "掲示板",
        "企業情報",
        "リサーチ",
        "気配(VIP)",
        "レポート",
    };
    return kinds;
}

void OptLinkModel::Load(const OptionsState& state) {
    work = state;
    brokerageText = state.settings.secUrl;
}

int OptLinkModel::PageIndex() const {
    const int index = static_cast<int>((work.settings.newBoolean1 & kPageMask) >> kPageShift);
    // A stored index beyond the list shows the first kind; it is kept unless the user picks one.
    return index < static_cast<int>(PageKinds().size()) ? index : 0;
}

void OptLinkModel::SetPageIndex(int index) {
    if (index < 0 || index >= static_cast<int>(PageKinds().size())) return;
    work.settings.newBoolean1 =
        (work.settings.newBoolean1 & ~kPageMask) | (static_cast<std::uint32_t>(index) << kPageShift);
}

void OptLinkModel::SetBoardFirst(bool board) {
    work.settings.newBoolean1 =
        board ? (work.settings.newBoolean1 | kBoardFirst) : (work.settings.newBoolean1 & ~kBoardFirst);
}

void OptLinkModel::Store(OptionsState& live) const {
    StoreBoxes(Boxes(), work, live);
    constexpr std::uint32_t own = kPageMask | kBoardFirst;
    live.settings.newBoolean1 = (live.settings.newBoolean1 & ~own) | (work.settings.newBoolean1 & own);
    live.settings.secUrl = NormalizeBrokerageUrl(brokerageText);
}

// --- page 3 ---

namespace {
// "PortfolioTextFlags" rows carry this pseudo-word; the others live in "OtherItemFlags".
constexpr FlagWord kPortfolioWord = FlagWord::NewBoolean1;
constexpr FlagWord kTipWord = FlagWord::BoolFlags2;
constexpr std::uint32_t kPortfolioMask = 0x7FFFF;
}  // namespace

std::span<const DisplayItem> OptDispItemModel::PortfolioItems() {
    static const DisplayItem items[] = {
        {W::OtherItems, 0x20, "ファイル名", "ポートフォリオのタイトルバーに銘柄ファイル名を表示します"},
        {W::OtherItems, 0x40, "ラベル", "アイテム名ラベルをポートフォリオ上部に表示します"},
        {kPortfolioWord, 0x1, "銘柄名", "銘柄の名称を表示します"},
        {kPortfolioWord, 0x40000, "銘柄コード", "銘柄の証券コードを表示します"},
        {W::OtherItems, 0x10, "株価バー", "バーグラフで株価を表示します"},
        {kPortfolioWord, 0x2, "更新時刻", "データの更新日時を表示します"},
        {kPortfolioWord, 0x4, "株価", "株価を表示します"},
        {kPortfolioWord, 0x8, "前日比", "株価と前日終値との比を表示します"},
        {kPortfolioWord, 0x1000, "目標株価", "目標株価を表示します"},
        {kPortfolioWord, 0x40, "前日終値", "前日終値を表示します"},
        {kPortfolioWord, 0x10, "出来高", "出来高を表示します"},
        {kPortfolioWord, 0x80, "始値", "開始値を表示します"},
        {kPortfolioWord, 0x100, "高値", "最高値を表示します"},
        {kPortfolioWord, 0x200, "安値", "最安値を表示します"},
        {kPortfolioWord, 0x4000, "配当利回り", "配当の利回りを％で表示します"},
        {kPortfolioWord, 0x8000, "PER", "株価収益率を倍数で表示します"},
        {kPortfolioWord, 0x10000, "EPS", "一株当たりの利益を表示します"},
        {kPortfolioWord, 0x20000, "PBR", "純資産倍率を倍数で表示します"},
        {kPortfolioWord, 0x400, "保有株数", "保有する株数を表示します"},
        {kPortfolioWord, 0x800, "売買単価", "売買単価を表示します"},
        {kPortfolioWord, 0x20, "損益", "保有銘柄の損益を表示します"},
    };
    return items;
}

std::span<const DisplayItem> OptDispItemModel::TipItems() {
    static const DisplayItem items[] = {
        {kTipWord, 0x1, "銘柄コード", "銘柄の証券コードを表示します"},
        {kTipWord, 0x4, "更新状態", "データの更新状態を表示します"},
        {kTipWord, 0x8, "株価/前日比", "株価と前日終値との比と、株価を表示します"},
        {kTipWord, 0x2, "更新時刻", "データの更新日時を表示します"},
        {kTipWord, 0x40, "前日終値", "前日終値を表示します"},
        {kTipWord, 0x10, "出来高", "出来高を表示します"},
        {kTipWord, 0x80, "始値", "開始値を表示します"},
        {kTipWord, 0x100, "高値", "最高値を表示します"},
        {kTipWord, 0x200, "安値", "最安値を表示します"},
        {kTipWord, 0x4000, "配当利回り", "配当の利回りを％で表示します"},
        {kTipWord, 0x8000, "PER", "株価収益率を倍数で表示します"},
        {kTipWord, 0x10000, "EPS", "一株当たりの利益を表示します"},
        {kTipWord, 0x20000, "PBR", "純資産倍率を倍数で表示します"},
        {kTipWord, 0x400, "保有株数", "保有する株数を表示します"},
        {kTipWord, 0x800, "売買単価", "売買単価を表示します"},
        {kTipWord, 0x1000, "目標株価", "目標株価を表示します"},
        {kTipWord, 0x20, "損益", "保有銘柄の損益を表示します"},
    };
    return items;
}

std::span<const FlagBox> OptDispItemModel::Boxes() {
    static const FlagBox boxes[] = {
        {W::OtherItems, 0x1, false, "出来高(&T)"},
        {W::OtherItems, 0x2, false, "損益(&D)"},
        {W::BoolFlags2, 0x1000, false, "説明を表示(&I)"},
    };
    return boxes;
}

void OptDispItemModel::Load(const OptionsState& state, bool open) {
    work = state;
    fileOpen = open;
    inFile = open && state.settings.itemFlagsFromFile;
}

bool OptDispItemModel::PortfolioItem(std::size_t row) const {
    const DisplayItem& item = PortfolioItems()[row];
    const ItemFlags& f = work.settings.itemFlags;
    return ((item.word == W::OtherItems ? f.other : f.portfolioText) & item.bit) != 0;
}

void OptDispItemModel::SetPortfolioItem(std::size_t row, bool on) {
    const DisplayItem& item = PortfolioItems()[row];
    ItemFlags& f = work.settings.itemFlags;
    std::uint32_t& w = item.word == W::OtherItems ? f.other : f.portfolioText;
    w = on ? (w | item.bit) : (w & ~item.bit);
}

bool OptDispItemModel::TipItem(std::size_t row) const {
    return (work.settings.itemFlags.tipText & TipItems()[row].bit) != 0;
}

void OptDispItemModel::SetTipItem(std::size_t row, bool on) {
    std::uint32_t& w = work.settings.itemFlags.tipText;
    const std::uint32_t bit = TipItems()[row].bit;
    w = on ? (w | bit) : (w & ~bit);
}

void OptDispItemModel::LoadCommon() { work.settings.itemFlags = work.commonItems; }

void OptDispItemModel::Store(OptionsState& live) const {
    StoreBoxes(Boxes().subspan(2), work, live);
    ItemFlags items = work.settings.itemFlags;
    items.portfolioText &= kPortfolioMask;
    items.Apply();
    live.settings.itemFlags = items;
    live.settings.itemFlagsFromFile = fileOpen && inFile;
    // While the words live in the file, the common words stay what the store holds.
    if (!live.settings.itemFlagsFromFile) live.commonItems = items;
}

// --- page 4 ---

std::span<const FlagBox> OptFormModel::Boxes() {
    static const FlagBox boxes[] = {
        {W::NewBoolean1, 0x2, false, "ポートフォリオ(&P)"},
        {W::NewBoolean1, 0x4, false, "トレイアイコン チップテキスト(&T)"},
        {W::NameOptions, NAMEOPT_DIGIT_GROUPING, false, "金額を、3桁毎にカンマで区切る(&O)"},
        {W::NameOptions, NAMEOPT_NO_COMPANY_MARK, false, "銘柄名に、\"(株)\"を表示しない(&K)"},
        {W::NameOptions, NAMEOPT_MARKET_SUFFIX, false, "銘柄名と一緒に市場コードを表示(&M)"},
        {W::BoolFlags2, 0x0008, true, "信用取引の損益に取引種別表示(&S)"},
        {W::BoolFlags2, 0x0400, true, "目標株価に取引値との差を表示(&E)"},
        {W::BoolFlags2, 0x0800, true, "前日比に％を表示(&D)"},
    };
    return boxes;
}

void OptFormModel::Load(const OptionsState& state) { work = state; }

std::string OptFormModel::NameMaxText() const { return std::to_string(work.settings.stkNameMax); }

std::optional<InputProblem> OptFormModel::SetNameMaxText(std::string_view text) {
    std::uint32_t value = 0;
    if (auto problem = ReadRangedNumber(text, 1, kNameMaxLimit, FIELD_NAME_MAX, value)) return problem;
    work.settings.stkNameMax = value;
    return std::nullopt;
}

void OptFormModel::Store(OptionsState& live) const {
    StoreBoxes(Boxes(), work, live);
    live.settings.stkNameMax = work.settings.stkNameMax;
}

// --- page 5 ---

namespace {

// Whole yen of the total, 100 when it is 10 yen or less.
PriceValue TotalBasis(PriceValue total) {
    PriceValue yen = (total >= 0 ? total + kYen / 2 : total - kYen / 2) / kYen;
    return yen <= 10 ? 100 : yen;
}

}  // namespace

PriceValue PercentStepToYen(std::uint32_t hundredths, PriceValue total) {
    const PriceValue basis = TotalBasis(total);
    // hundredths / 100 percent of basis yen, rounded half up to whole yen. The product fits:
    // hundredths < 2^32 and basis is a yen count of a 64-bit amount divided by 10^4.
    const long double exact = static_cast<long double>(hundredths) * static_cast<long double>(basis) / 10000.0L;
    const long double rounded = exact + 0.5L;
    if (rounded >= static_cast<long double>(INT64_MAX / kYen)) return (INT64_MAX / kYen) * kYen;
    return static_cast<PriceValue>(rounded) * kYen;
}

std::uint32_t YenStepToPercent(PriceValue step, PriceValue total) {
    const PriceValue basis = TotalBasis(total);
    if (step <= 0) return 0;
    // step / basis truncated to four decimals, times 100: in hundredths of a percent that is the
    // ratio in ten-thousandths. step is in ten-thousandths of a yen already.
    const PriceValue ratio = step / basis;
    return static_cast<std::uint32_t>(std::min<PriceValue>(ratio, 10000));
}

std::span<const FlagBox> OptIconModel::Boxes() {
    static const FlagBox boxes[] = {
        {W::BoolFlags1, 0x00000400, false, "ポートフォリオに表示(&P)"},
        {W::BoolFlags1, 0x00000100, false, "マークを重ねて表示(&V)"},
        {W::BoolFlags1, 0x00000008, false, "株数の設定してあるアイコンにマークを重ねて表示(&M)"},
    };
    return boxes;
}

void OptIconModel::Load(const OptionsState& state) { work = state; }

std::array<std::string, 4> OptIconModel::StepTexts() const {
    const ArrowThresholds& t = work.settings.totalThresholds;
    if (t.percentFlag) {
        const std::uint32_t p[] = {t.perPlusHigh, t.perPlusLow, t.perMinusLow, t.perMinusHigh};
        return {AmountBoxText(PriceValue{p[0]} * 100), AmountBoxText(PriceValue{p[1]} * 100),
                AmountBoxText(PriceValue{p[2]} * 100), AmountBoxText(PriceValue{p[3]} * 100)};
    }
    return {AmountBoxText(t.curPlusHigh), AmountBoxText(t.curPlusLow), AmountBoxText(t.curMinusLow),
            AmountBoxText(t.curMinusHigh)};
}

std::optional<InputProblem> OptIconModel::SetStepTexts(const std::array<std::string, 4>& texts) {
    std::array<PriceValue, 4> read{};
    ArrowThresholds& t = work.settings.totalThresholds;
    for (std::size_t i = 0; i < 4; ++i) {
        const Amount value = ParseAmountText(texts[i]);
        // A negative step would turn the arrows around; a percent step beyond 32 bits cannot be kept.
        const bool fits = value && *value >= 0 && (!t.percentFlag || *value / 100 <= 0xFFFFFFFF);
        if (!fits) return InputProblem{static_cast<int>(i), NotAmountMessage()};
        read[i] = *value;
    }
    if (t.percentFlag) {
        t.perPlusHigh = static_cast<std::uint32_t>(read[0] / 100);
        t.perPlusLow = static_cast<std::uint32_t>(read[1] / 100);
        t.perMinusLow = static_cast<std::uint32_t>(read[2] / 100);
        t.perMinusHigh = static_cast<std::uint32_t>(read[3] / 100);
    } else {
        t.curPlusHigh = read[0];
        t.curPlusLow = read[1];
        t.curMinusLow = read[2];
        t.curMinusHigh = read[3];
    }
    return std::nullopt;
}

const std::string& OptIconModel::UnitText(int row) const {
    const bool rise = row < 2;
    if (Percent()) return rise ? SJIS("％上昇") : SJIS("％低下");
    return rise ? SJIS("円上昇") : SJIS("円低下");
}

void OptIconModel::SetPercent(bool percent) {
    ArrowThresholds& t = work.settings.totalThresholds;
    if (percent == t.percentFlag) return;
    const PriceValue total = work.totalAmount;
    if (percent) {
        t.perPlusHigh = YenStepToPercent(t.curPlusHigh, total);
        t.perPlusLow = YenStepToPercent(t.curPlusLow, total);
        t.perMinusLow = YenStepToPercent(t.curMinusLow, total);
        t.perMinusHigh = YenStepToPercent(t.curMinusHigh, total);
    } else {
        t.curPlusHigh = PercentStepToYen(t.perPlusHigh, total);
        t.curPlusLow = PercentStepToYen(t.perPlusLow, total);
        t.curMinusLow = PercentStepToYen(t.perMinusLow, total);
        t.curMinusHigh = PercentStepToYen(t.perMinusHigh, total);
    }
    t.percentFlag = percent;
}

void OptIconModel::SetProfitBasis(bool profit) {
    std::uint32_t& mode = work.settings.totalArrowMode;
    mode = profit ? (mode | kArrowBasisProfit) : (mode & ~static_cast<std::uint32_t>(kArrowBasisProfit));
}

void OptIconModel::SetTrayShown(bool shown) {
    // A total icon on the desktop stays there when the box stays ticked.
    if (!shown)
        work.settings.dispTotal = 0;
    else if (work.settings.dispTotal == 0)
        work.settings.dispTotal = 1;
}

void OptIconModel::LoadStandard() {
    ArrowThresholds& t = work.settings.totalThresholds;
    t.perPlusHigh = 1000;
    t.perPlusLow = 500;
    t.perMinusLow = 500;
    t.perMinusHigh = 1000;
    t.percentFlag = true;
    SetProfitBasis(false);
}

void OptIconModel::Store(OptionsState& live) const {
    StoreBoxes(Boxes(), work, live);
    const ArrowThresholds& t = work.settings.totalThresholds;
    ArrowThresholds& out = live.settings.totalThresholds;
    // Each pair sorted: the larger step is the "High" one.
    out.curPlusHigh = std::max(t.curPlusHigh, t.curPlusLow);
    out.curPlusLow = std::min(t.curPlusHigh, t.curPlusLow);
    out.curMinusHigh = std::max(t.curMinusHigh, t.curMinusLow);
    out.curMinusLow = std::min(t.curMinusHigh, t.curMinusLow);
    out.perPlusHigh = std::max(t.perPlusHigh, t.perPlusLow);
    out.perPlusLow = std::min(t.perPlusHigh, t.perPlusLow);
    out.perMinusHigh = std::max(t.perMinusHigh, t.perMinusLow);
    out.perMinusLow = std::min(t.perMinusHigh, t.perMinusLow);
    out.percentFlag = t.percentFlag;
    live.settings.totalArrowMode = work.settings.totalArrowMode;
    live.settings.dispTotal = work.settings.dispTotal;
    live.settings.arrowType = work.settings.arrowType;
    live.settings.arrowDesignFile = work.settings.arrowDesignFile;
}

void OptSkinModel::Load(std::int32_t arrowType, const std::string& file) {
    designFile = file;
    monochrome = arrowType == 2;
    choice_ = arrowType == 3 ? SKIN_USER : (arrowType == 1 || arrowType == 2) ? SKIN_BORDERED : SKIN_PLAIN;
}

std::int32_t OptSkinModel::ArrowType() const {
    if (choice_ == SKIN_USER) return 3;
    if (choice_ == SKIN_BORDERED) return monochrome ? 2 : 1;
    return 0;
}

const std::string& OptSkinModel::DesignFileMessage() {
    return SJIS(
        "矢印アイコンデザインファイルを読み込めません。\nファイルが存在しないか、または、ファイルの形式が正しくない可能"
        "性が"
        "あります。");
}

// --- page 6 ---

std::span<const FlagBox> OptDesktopModel::Boxes() {
    static const FlagBox boxes[] = {
        {W::BoolFlags1, 0x00000080, false, "常に最前面に表示(&A)"},
        {W::BoolFlags1, 0x00000010, false, "銘柄アイコンを、デスクトップの縁に吸い付くように配置(&S)"},
        {W::BoolFlags1, 0x00000020, false, "文字の背景を透明にする(&T)"},
        {W::BoolFlags1, 0x00000040, false, "銘柄アイコン全体を半透明にする(&I)"},
        {W::BoolFlags2, 0x0040, true, "文字に影を表示(&L)"},
        {W::BoolFlags2, BF2_DESKTOP_FONT, false, "フォントを指定する(&C)"},
    };
    return boxes;
}

void OptDesktopModel::Load(const OptionsState& state) { work = state; }

void OptDesktopModel::SetFont(const DesktopFont& font, std::uint32_t color) {
    work.settings.desktopFont = font;
    if (work.settings.desktopFont.faceName.size() > kFaceNameMax)
        work.settings.desktopFont.faceName.resize(kFaceNameMax);
    work.settings.dskFontColor = color & 0xFFFFFF;
}

bool OptDesktopModel::FontChanged(const OptionsState& live) const {
    const bool wasChosen = (live.settings.boolFlags2 & BF2_DESKTOP_FONT) != 0;
    return wasChosen != FontChosen() || !(live.settings.desktopFont == work.settings.desktopFont) ||
           live.settings.dskFontColor != work.settings.dskFontColor;
}

void OptDesktopModel::Store(OptionsState& live) const {
    StoreBoxes(Boxes(), work, live);
    live.settings.alphaVal = work.settings.alphaVal;
    live.settings.desktopFont = work.settings.desktopFont;
    live.settings.dskFontColor = work.settings.dskFontColor;
}

// --- page 7 ---

std::span<const FlagBox> OptPortfolioModel::Boxes() {
    static const FlagBox boxes[] = {
        {W::BoolFlags1, 0x00000400, false, "タイトルバーに、銘柄の合計を表示(&M)"},
        {W::BoolFlags1, 0x00001000, false, "デスクトップの縁に吸い付くように配置(&S)"},
        {W::BoolFlags1, 0x00002000, false, "起動時、ポートフォリオを開く(&O)"},
        {W::BoolFlags1, 0x00004000, false, "マウスイベントで、自動ロールダウン(&A)"},
        {W::BoolFlags1, 0x00008000, false, "ロールアップ時、テキストを表示しない(&N)"},
        {W::BoolFlags1, 0x00010000, false, "マイナスの価格は赤色で表示(&R)"},
        {W::BoolFlags1, 0x00020000, false, "詳細データを、チップテキストで表示(&D)"},
        {W::BoolFlags2, 0x0001, false, "起動時、ニュース/掲示板更新マークを消去(&C)"},
        {W::BoolFlags2, 0x0020, true, "文字に影を表示(&L)"},
        {W::NewBoolean1, 0x08, true, "枠線を表示(&E)"},
        {W::NewBoolean1, 0x10, true, "枠線/境界線を3D表示(&J)"},
    };
    return boxes;
}

std::span<const char* const> OptPortfolioModel::FontSizeNames() {
    static const char* const names[] = {"極大 - 18ピクセル", "大 - 15ピクセル", "中 - 12ピクセル(推奨)",
                                        "小 - 10ピクセル", "極小 - 9ピクセル"};
    return names;
}

std::span<const std::uint32_t> OptPortfolioModel::FontSizes() {
    static const std::uint32_t sizes[] = {18, 15, 12, 10, 9};
    return sizes;
}

std::span<const char* const> OptPortfolioModel::IdleActions() {
    static const char* const actions[] = {"なにもしない", "ポートフォリオを閉じる", "ポートフォリオをロールアップ",
                                          "ポートフォリオを最背面に移動"};
    return actions;
}

void OptPortfolioModel::Load(const OptionsState& state) {
    work = state;
    if (work.settings.pfAlpha < 10) work.settings.pfAlpha = 10;
}

int OptPortfolioModel::FontSizeIndex() const {
    const auto sizes = FontSizes();
    const auto found = std::find(sizes.begin(), sizes.end(), work.settings.pfFont);
    return found == sizes.end() ? -1 : static_cast<int>(found - sizes.begin());
}

void OptPortfolioModel::SetFontSizeIndex(int index) {
    if (index >= 0 && index < static_cast<int>(FontSizes().size()))
        work.settings.pfFont = FontSizes()[static_cast<std::size_t>(index)];
}

bool OptPortfolioModel::LastPlace() const { return (work.settings.newBoolean1 & (kLastPlace | kLastPlaceOff)) == 0; }

void OptPortfolioModel::SetLastPlace(bool on) {
    std::uint32_t& w = work.settings.newBoolean1;
    w &= ~(kLastPlace | kLastPlaceOff);
    if (!on) w |= kLastPlaceOff;
}

void OptPortfolioModel::SetAlpha(int alpha) {
    work.settings.pfAlpha = static_cast<std::uint8_t>(std::clamp(alpha, 10, 255));
}

void OptPortfolioModel::SetTranslucent(bool on) { work.settings.pfTranslucent = on; }

void OptPortfolioModel::SetIdleAction(int action) {
    if (action >= 0 && action < static_cast<int>(IdleActions().size()))
        work.settings.timerAction = static_cast<std::uint8_t>(action);
}

const std::string& OptPortfolioModel::MouseBoxCaption() const {
    if (work.settings.timerAction == 3) return SJIS("マウスイベントで最前面に自動移動(&A)");
    return SJIS("マウスイベントで、自動ロールダウン(&A)");
}

std::string OptPortfolioModel::IdleTimeText() const { return std::to_string(work.settings.activateTime / 1000); }

std::optional<InputProblem> OptPortfolioModel::SetIdleTimeText(std::string_view text) {
    std::uint32_t seconds = 0;
    if (auto problem = ReadRangedNumber(text, 1, kIdleSecondsMax, FIELD_IDLE_TIME, seconds)) return problem;
    work.settings.activateTime = seconds * 1000;
    return std::nullopt;
}

std::uint8_t OptPortfolioModel::StoredAlpha() const {
    return work.settings.pfTranslucent ? std::max<std::uint8_t>(work.settings.pfAlpha, 10) : 255;
}

void OptPortfolioModel::Store(OptionsState& live) const {
    StoreBoxes(Boxes(), work, live);
    AppSettings& a = live.settings;
    a.newBoolean1 =
        (a.newBoolean1 & ~(kLastPlace | kLastPlaceOff)) | (work.settings.newBoolean1 & (kLastPlace | kLastPlaceOff));
    a.pfFont = work.settings.pfFont;
    a.bkCol = work.settings.bkCol & 0xFFFFFF;
    a.pfTransparent = work.settings.pfTransparent;
    a.pfTranslucent = work.settings.pfTranslucent;
    a.pfAlpha = StoredAlpha();
    a.timerAction = work.settings.timerAction;
    a.activateTime = work.settings.activateTime;
}

// --- page 8 ---

std::span<const FlagBox> OptOtherModel::Boxes() {
    static const FlagBox boxes[] = {
        {W::CashSwitches, CASH_MANAGED, false, "残高を管理する(&K)"},
        {W::CashSwitches, CASH_IN_TOTALS, false, "残高を合計に加算する(&A)"},
        {W::BoolFlags1, 0x00040000, false, "新バージョンのリリースを、通知する(&N)"},
        {W::BoolFlags1, 0x00080000, false, "終了時、銘柄データファイルを更新する(&S)"},
        {W::BoolFlags2, 0x0100, true, "トレイアイコン左クリックでウィンドウをアクティブにする(&U)"},
    };
    return boxes;
}

void OptOtherModel::Load(const OptionsState& state) { work = state; }

std::string OptOtherModel::BalanceText(bool groupDigits) const {
    std::string text;
    FormatPrice(work.cashBalance, text, groupDigits ? unsigned{FMT_GROUP} : 0u);
    return text;
}

void OptOtherModel::Store(OptionsState& live) const {
    StoreBoxes(Boxes(), work, live);
    live.settings.defAction = std::min<std::uint8_t>(work.settings.defAction, 2);
    // A new balance is the file's: it has to be saved.
    if (BalanceChanged(live)) live.settings.boolFlags1 |= BF1_MODIFIED;
    live.cashBalance = work.cashBalance;
}

// --- page 9 ---

std::span<const FlagBox> OptDetailModel::Boxes() {
    static const FlagBox boxes[] = {
        {W::ProxyFlags, PROXY_USE, false, "独自のプロキシ サーバーを使用する(&P)"},
        {W::Http10, 1, false, "HTTP/1.1を使用しない(&H)"},
    };
    return boxes;
}

std::span<const char* const> OptDetailModel::LogLevels() {
    static const char* const levels[] = {
        "なし",       "エラーログのみ記録", "エラー時のみログを記録", "エラー時のみ詳細にログを記録",
        "ログを記録", "詳細にログを記録"};
    return levels;
}

void OptDetailModel::Load(const OptionsState& state) {
    work = state;
    const std::uint32_t ms[] = {state.settings.checkTimeout, state.settings.receiveTimeout, state.settings.sendTimeout};
    for (std::size_t i = 0; i < 3; ++i) {
        used[i] = ms[i] != 0;
        // A time-out below a second shows as one second; the box never shows 0 for a used one.
        if (used[i]) seconds[i] = std::max<std::uint32_t>(1, (ms[i] + 999) / 1000);
    }
}

std::string OptDetailModel::TimeoutText(int which) const {
    return std::to_string(seconds[static_cast<std::size_t>(which)]);
}

std::optional<InputProblem> OptDetailModel::SetTimeoutTexts(const std::array<std::string, 3>& texts) {
    std::array<std::uint32_t, 3> read = seconds;
    for (std::size_t i = 0; i < 3; ++i) {
        // A box not in use keeps what it showed; its text is not checked.
        if (!used[i]) continue;
        if (auto problem =
                ReadRangedNumber(texts[i], 1, kTimeoutSecondsMax, FIELD_CONNECT + static_cast<int>(i), read[i]))
            return problem;
    }
    seconds = read;
    return std::nullopt;
}

void OptDetailModel::RestoreDefaults() {
    const AppSettings defaults;
    work.settings.calcPath = "Calc.EXE";
    work.logPath = work.defaultLogPath;
    work.logLevel = 0;
    used = {false, false, false};
    seconds = {30, 30, 30};
    work.settings.proxyFlags = defaults.proxyFlags;
    work.settings.http10 = defaults.http10;
}

void OptDetailModel::Store(OptionsState& live) const {
    AppSettings& a = live.settings;
    a.checkTimeout = used[0] ? seconds[0] * 1000 : 0;
    a.receiveTimeout = used[1] ? seconds[1] * 1000 : 0;
    a.sendTimeout = used[2] ? seconds[2] * 1000 : 0;
    a.proxyFlags = work.settings.proxyFlags;
    a.proxyServer = work.settings.proxyServer;
    a.loginUser = work.settings.loginUser;
    a.proxyPassword = work.settings.proxyPassword;
    a.http10 = work.settings.http10;
    a.calcPath = work.settings.calcPath.empty() ? std::string("Calc.EXE") : work.settings.calcPath;
    live.logLevel = std::clamp(work.logLevel, 0, 5);
    live.logPath = work.logPath.empty() ? work.defaultLogPath : work.logPath;
}

// --- the proxy dialog ---

void OptProxyModel::Load(const AppSettings& settings) {
    // The list names the web scheme's proxy as "http=http://host:port"; a bare "host:port" is
    // read the same way.
    std::string server = settings.proxyServer;
    const std::size_t entry = server.find("http=");
    if (entry != std::string::npos) {
        server = server.substr(entry + 5);
        const std::size_t end = server.find_first_of("; ");
        if (end != std::string::npos) server.resize(end);
    }
    const std::size_t scheme = server.find("://");
    if (scheme != std::string::npos) server = server.substr(scheme + 3);
    const std::size_t colon = server.rfind(':');
    address = server;
    if (colon != std::string::npos) {
        address = server.substr(0, colon);
        const std::optional<std::uint32_t> read = ParseUnsignedText(server.substr(colon + 1));
        if (read && *read <= 65535) port = *read;
    }
    login = settings.ProxyNeedsLogin();
    user = settings.loginUser;
    password = settings.proxyPassword;
}

std::optional<InputProblem> OptProxyModel::SetPortText(std::string_view text) {
    std::uint32_t value = 0;
    if (auto problem = ReadRangedNumber(text, 1, 65535, FIELD_PORT, value)) return problem;
    port = value;
    return std::nullopt;
}

void OptProxyModel::Store(AppSettings& settings) const {
    settings.proxyServer = "http=http://" + address + ":" + std::to_string(port);
    settings.proxyFlags = login ? (settings.proxyFlags | PROXY_AUTH) : (settings.proxyFlags & ~PROXY_AUTH);
    // Kept while the login is off, so that ticking it again brings them back.
    settings.loginUser = user;
    settings.proxyPassword = password;
}

}  // namespace quotrix
