#include "Instruments.h"

#include <algorithm>
#include <cmath>

namespace quotesrv {

namespace {

constexpr std::int64_t kYen = 10000;

struct Row {
    const char* symbol;
    char market;
    Kind kind;
    const char* name;
    const char* industry;
    double price;  // yen
    int decimals;
};

// Plausible levels, not anyone's real quotes.
const Row kTable[] = {
    {"7203", 't', Kind::Stock, "トヨタ自動車(株)", "輸送用機器", 2845, 0},
    {"6758", 't', Kind::Stock, "ソニーグループ(株)", "電気機器", 3240, 0},
    {"9984", 't', Kind::Stock, "ソフトバンクグループ(株)", "情報・通信業", 8912, 0},
    {"6501", 't', Kind::Stock, "(株)日立製作所", "電気機器", 3768, 0},
    {"8306", 't', Kind::Stock, "(株)三菱ＵＦＪフィナンシャル・グループ", "銀行業", 1672.5, 1},
    {"9432", 't', Kind::Stock, "日本電信電話(株)", "情報・通信業", 152.3, 1},
    {"7974", 't', Kind::Stock, "任天堂(株)", "その他製品", 8410, 0},
    {"6861", 't', Kind::Stock, "(株)キーエンス", "電気機器", 64230, 0},
    {"4063", 't', Kind::Stock, "信越化学工業(株)", "化学", 5921, 0},
    {"8035", 't', Kind::Stock, "東京エレクトロン(株)", "電気機器", 24650, 0},
    {"9983", 't', Kind::Stock, "(株)ファーストリテイリング", "小売業", 45870, 0},
    {"4502", 't', Kind::Stock, "武田薬品工業(株)", "医薬品", 4288, 0},
    {"7267", 't', Kind::Stock, "本田技研工業(株)", "輸送用機器", 1598.5, 1},
    {"6954", 't', Kind::Stock, "ファナック(株)", "電気機器", 4135, 0},
    {"8058", 't', Kind::Stock, "三菱商事(株)", "卸売業", 2790, 0},
    {"8001", 't', Kind::Stock, "伊藤忠商事(株)", "卸売業", 7312, 0},
    {"2914", 't', Kind::Stock, "日本たばこ産業(株)", "食料品", 4105, 0},
    {"4661", 't', Kind::Stock, "(株)オリエンタルランド", "サービス業", 3874, 0},
    {"6902", 't', Kind::Stock, "(株)デンソー", "輸送用機器", 2186.5, 1},
    {"3382", 't', Kind::Stock, "(株)セブン＆アイ・ホールディングス", "小売業", 2213, 0},
    {"9433", 't', Kind::Stock, "ＫＤＤＩ(株)", "情報・通信業", 4620, 0},
    {"6098", 't', Kind::Stock, "(株)リクルートホールディングス", "サービス業", 8154, 0},
    {"4568", 't', Kind::Stock, "第一三共(株)", "医薬品", 5402, 0},
    {"7751", 't', Kind::Stock, "キヤノン(株)", "電気機器", 4480, 0},
    {"6367", 't', Kind::Stock, "ダイキン工業(株)", "機械", 21345, 0},
    {"6971", 'o', Kind::Stock, "京セラ(株)", "電気機器", 1785.5, 1},
    {"6981", 'o', Kind::Stock, "(株)村田製作所", "電気機器", 2914.5, 1},
    {"9503", 'o', Kind::Stock, "関西電力(株)", "電気・ガス業", 2168.5, 1},
    {"2702", 'q', Kind::Stock, "日本マクドナルドホールディングス(株)", "小売業", 6210, 0},
    {"3765", 'q', Kind::Stock, "ガンホー・オンライン・エンターテイメント(株)", "情報・通信業", 2756, 0},
    {"4704", 'q', Kind::Stock, "トレンドマイクロ(株)", "情報・通信業", 7650, 0},
    {"9502", 'n', Kind::Stock, "中部電力(株)", "電気・ガス業", 1923.5, 1},
    {"9048", 'n', Kind::Stock, "名古屋鉄道(株)", "陸運業", 1931, 0},
    {"8130", 'n', Kind::Stock, "(株)サンゲツ", "卸売業", 3120, 0},
    {"4751", 'j', Kind::Stock, "(株)サイバーエージェント", "サービス業", 1012.5, 1},
    {"2432", 'j', Kind::Stock, "(株)ディー・エヌ・エー", "サービス業", 1534, 0},
    {"998407", 0, Kind::Index, "日経平均株価", "指数", 38512.34, 2},
    {"998405", 0, Kind::Index, "TOPIX（東証株価指数）", "指数", 2712.58, 2},
    {"USDJPY=X", 0, Kind::Currency, "米ドル/円", "為替", 151.234, 3},
    {"EURJPY=X", 0, Kind::Currency, "ユーロ/円", "為替", 163.872, 3},
    {"0331418A", 0, Kind::Fund, "日本株インデックス・オープン", "投資信託", 23456, 0},
};

// A few made-up names share the first word of a built-in one, so that a search for it runs over
// several result pages as searches on the real site do.
const char* const kMadeUpFirst[] = {"東洋", "日本", "大和", "中央", "北陸", "関東", "新日本", "第一", "トヨタ", "昭和"};
const char* const kMadeUpSecond[] = {"工業", "製作所", "電機", "商事", "化学", "建設", "精機", "食品", "物産", "興業"};

std::uint64_t Mix(std::uint64_t x) {
    x ^= x >> 33;
    x *= 0xFF51AFD7ED558CCDull;
    x ^= x >> 33;
    x *= 0xC4CEB9FE1A85EC53ull;
    x ^= x >> 33;
    return x;
}

std::uint64_t HashText(const std::string& text) {
    std::uint64_t h = 1469598103934665603ull;
    for (unsigned char c : text) h = (h ^ c) * 1099511628211ull;
    return h;
}

std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

}  // namespace

std::string GroupDigits(const std::string& digits) {
    std::string out;
    out.reserve(digits.size() + digits.size() / 3);
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
        out += digits[i];
    }
    return out;
}

std::string PriceText(std::int64_t value, int decimals, bool sign) {
    const bool negative = value < 0;
    std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    std::uint64_t scale = 1;
    for (int i = decimals; i < 4; ++i) scale *= 10;
    magnitude /= scale;  // truncated to the shown decimals
    std::uint64_t unit = 1;
    for (int i = 0; i < decimals; ++i) unit *= 10;
    const std::string whole = GroupDigits(std::to_string(magnitude / unit));
    std::string text = negative ? "-" : (sign ? "+" : "");
    text += whole;
    if (decimals > 0) {
        std::string fraction = std::to_string(magnitude % unit);
        fraction.insert(0, static_cast<std::size_t>(decimals) - fraction.size(), '0');
        text += "." + fraction;
    }
    return text;
}

std::int64_t TickSize(std::int64_t price, Kind kind) {
    switch (kind) {
        case Kind::Index:
            return 100;  // 0.01
        case Kind::Currency:
            return 10;  // 0.001
        case Kind::Fund:
            return kYen;
        case Kind::Stock:
            break;
    }
    const std::int64_t yen = price / kYen;
    if (yen < 1000) return kYen / 10;
    if (yen < 3000) return kYen / 2;
    if (yen < 5000) return kYen;
    if (yen < 30000) return 5 * kYen;
    if (yen < 50000) return 10 * kYen;
    return 50 * kYen;
}

Market::Market(std::uint64_t seed) : seed_(seed) {
    for (const Row& row : kTable) {
        auto instrument = std::make_unique<Instrument>();
        instrument->symbol = row.symbol;
        instrument->market = row.market;
        instrument->kind = row.kind;
        instrument->name = row.name;
        instrument->industry = row.industry;
        instrument->basePrice = static_cast<std::int64_t>(std::llround(row.price * kYen));
        instrument->decimals = row.decimals;
        bySymbol_[instrument->symbol] = instrument.get();
        builtIn_.push_back(std::move(instrument));
    }
}

std::string MadeUpName(std::uint32_t code) {
    const std::uint64_t h = Mix(code * 0x9E3779B97F4A7C15ull);
    return std::string(kMadeUpFirst[h % 10]) + kMadeUpSecond[(h / 10) % 10] + "(株)";
}

Instrument* Market::MakeUp(std::uint32_t code, char market) {
    const std::uint64_t h = Mix(code * 0x9E3779B97F4A7C15ull);
    auto instrument = std::make_unique<Instrument>();
    instrument->symbol = std::to_string(code);
    if (instrument->symbol.size() < 4) instrument->symbol.insert(0, 4 - instrument->symbol.size(), '0');
    instrument->market = market;
    instrument->kind = Kind::Stock;
    instrument->name = MadeUpName(code);
    instrument->industry = "その他製品";
    instrument->basePrice = static_cast<std::int64_t>(200 + (h >> 20) % 8800) * kYen;
    instrument->builtIn = false;
    Instrument* raw = instrument.get();
    madeUp_.push_back(std::move(instrument));
    return raw;
}

const Instrument* Market::Find(const std::string& requested) {
    std::string symbol = Upper(requested);
    std::lock_guard lock(lock_);
    if (auto it = bySymbol_.find(symbol); it != bySymbol_.end()) return it->second;

    // "7203.T": the code with a market letter.
    char market = 0;
    if (const auto dot = symbol.find('.'); dot != std::string::npos) {
        if (dot + 2 == symbol.size()) market = static_cast<char>(symbol[dot + 1] - 'A' + 'a');
        symbol.erase(dot);
        if (auto it = bySymbol_.find(symbol); it != bySymbol_.end()) return it->second;
    }
    if (symbol.empty() || symbol.size() > 7 ||
        !std::all_of(symbol.begin(), symbol.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return nullptr;
    const std::uint32_t code = static_cast<std::uint32_t>(std::stoul(symbol));
    if (code == 0) return nullptr;
    Instrument* made = MakeUp(code, market);
    bySymbol_[made->symbol] = made;
    return made;
}

Market::State& Market::StateOf(const Instrument& instrument) {
    auto it = states_.find(&instrument);
    if (it != states_.end()) return it->second;
    State state;
    state.random.seed(Mix(seed_ ^ HashText(instrument.symbol)));
    Quote& q = state.quote;
    q.instrument = &instrument;
    q.prevClose = instrument.basePrice;
    // The day opened somewhere within 1 % of the previous close.
    const std::int64_t tick = TickSize(q.prevClose, instrument.kind);
    std::uniform_int_distribution<std::int64_t> openMove(-q.prevClose / 100, q.prevClose / 100);
    q.open = std::max<std::int64_t>(tick, (q.prevClose + openMove(state.random)) / tick * tick);
    q.price = q.high = q.low = q.open;
    q.volume = instrument.kind == Kind::Stock ? 100000 + state.random() % 900000 / 100 * 100 : 0;
    q.boardId = 100000 + static_cast<std::uint32_t>(state.random() % 800000);
    q.newsId = 1 + static_cast<std::uint32_t>(state.random() % 5000);
    return states_.emplace(&instrument, std::move(state)).first->second;
}

Quote Market::Step(const Instrument& instrument) {
    std::lock_guard lock(lock_);
    State& state = StateOf(instrument);
    Quote& q = state.quote;
    const std::int64_t tick = TickSize(q.price, instrument.kind);
    // About 0.15 % a step, never outside 8 % of the previous close (well inside the daily limit).
    std::normal_distribution<double> move(0.0, static_cast<double>(q.price) * 0.0015);
    std::int64_t next = q.price + static_cast<std::int64_t>(std::llround(move(state.random) / tick)) * tick;
    const std::int64_t floor = q.prevClose - q.prevClose * 8 / 100;
    const std::int64_t ceiling = q.prevClose + q.prevClose * 8 / 100;
    next = std::clamp(next, std::max(floor, tick), ceiling);
    q.price = next / tick * tick;
    q.high = std::max(q.high, q.price);
    q.low = std::min(q.low, q.price);
    if (instrument.kind == Kind::Stock) q.volume += (state.random() % 200) * 100;
    ++q.steps;
    return q;
}

Quote Market::Peek(const Instrument& instrument) {
    std::lock_guard lock(lock_);
    return StateOf(instrument).quote;
}

Quote Market::StepBoardNews(const Instrument& instrument) {
    std::lock_guard lock(lock_);
    State& state = StateOf(instrument);
    Quote& q = state.quote;
    // Roughly every third board look finds a new post, every eighth news look a new headline.
    if (state.random() % 3 == 0) q.boardId += 1 + static_cast<std::uint32_t>(state.random() % 3);
    if (state.random() % 8 == 0) ++q.newsId;
    return q;
}

}  // namespace quotesrv
