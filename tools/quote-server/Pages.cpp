#include "Pages.h"

#include <errno.h>
#include <iconv.h>

#include <algorithm>
#include <cstdio>
#include <utility>

namespace quotesrv {

namespace {

constexpr std::int64_t kYen = 10000;

std::string Escape(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string Count(std::uint64_t value) { return GroupDigits(std::to_string(value)); }

std::string Fixed(double value, int decimals) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

std::uint64_t Hash(const std::string& text) {
    std::uint64_t h = 1469598103934665603ull;
    for (unsigned char c : text) h = (h ^ c) * 1099511628211ull;
    return h;
}

// Per-instrument figures that do not move during a day.
struct Fundamentals {
    double yield;  // percent
    double per;
    double pbr;
    std::uint64_t shares;  // issued
    unsigned unit;         // shares per trading unit
};

Fundamentals FundamentalsOf(const Instrument& instrument) {
    const std::uint64_t h = Hash(instrument.symbol);
    Fundamentals f;
    f.yield = 0.5 + static_cast<double>(h % 350) / 100.0;
    f.per = 8.0 + static_cast<double>((h >> 12) % 3200) / 100.0;
    f.pbr = 0.6 + static_cast<double>((h >> 24) % 440) / 100.0;
    f.shares = 100000000ull + (h >> 32) % 3000000000ull;
    f.unit = 100;
    return f;
}

const char* MarketLabel(const Instrument& instrument) {
    switch (instrument.market) {
        case 't':
            return "東証";
        case 'o':
            return "大証";
        case 'q':
            return "JASDAQ";
        case 'n':
            return "名証";
        case 'j':
            return "ヘラクレス";
        default:
            break;
    }
    switch (instrument.kind) {
        case Kind::Index:
            return "指数";
        case Kind::Currency:
            return "為替";
        case Kind::Fund:
            return "投資信託";
        case Kind::Stock:
            break;
    }
    return "その他";
}

// The code as the site's addresses carry it: "7203.T", "998407", "USDJPY=X".
std::string LinkCode(const Instrument& instrument) {
    std::string code = instrument.symbol;
    if (instrument.market != 0) {
        code += '.';
        code += static_cast<char>(instrument.market - 'a' + 'A');
    }
    return code;
}

std::string Head(const std::string& title, const PageContext& context) {
    std::string h;
    h += "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\" \"http://www.w3.org/TR/html4/loose.dtd\">\n";
    h += "<html lang=\"ja\">\n<head>\n";
    h += "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=";
    h += CharsetName(context.encoding);
    h += "\">\n<meta http-equiv=\"Content-Style-Type\" content=\"text/css\">\n";
    h += "<meta http-equiv=\"Content-Script-Type\" content=\"text/javascript\">\n";
    h += "<meta name=\"description\" "
         "content=\"株価、チャート、ニュース、掲示板など投資に役立つ情報を提供しています。\">\n";
    h += "<title>" + title + "</title>\n";
    h += "<link rel=\"stylesheet\" type=\"text/css\" href=\"/css/common.css\" media=\"all\">\n";
    h += "<link rel=\"stylesheet\" type=\"text/css\" href=\"/css/stocks.css\" media=\"all\">\n";
    h += "<script type=\"text/javascript\" src=\"/js/common.js\"></script>\n";
    h += "<script type=\"text/javascript\">\n<!--\nvar pageParams = {section: \"stocks\", "
         "refresh: 0, layout: \"wide\"};\n"
         "function openChart(code, span) { window.open(\"/chart?s=\" + code + \"&t=\" + span, \"chart\", "
         "\"width=600,height=450\"); }\n"
         "function toggleMenu(id) { var e = document.getElementById(id); if (e) { e.style.display = "
         "(e.style.display == \"none\") ? \"block\" : \"none\"; } }\n//-->\n</script>\n";
    h += "</head>\n<body>\n<div id=\"wrapper\">\n";
    h += "<div id=\"header\" class=\"clearFix\">\n"
         "<p class=\"logo\"><a href=\"/\">ファイナンス</a></p>\n"
         "<ul class=\"globalNav\">\n"
         "<li><a href=\"/\">トップ</a></li>\n"
         "<li><a href=\"/stocks/\">株式</a></li>\n"
         "<li><a href=\"/fx/\">為替・FX</a></li>\n"
         "<li><a href=\"/funds/\">投資信託</a></li>\n"
         "<li><a href=\"/news/\">ニュース</a></li>\n"
         "<li><a href=\"/bbs/\">掲示板</a></li>\n"
         "<li><a href=\"/portfolio/\">ポートフォリオ</a></li>\n"
         "</ul>\n"
         "<form action=\"/stocks/search/\" method=\"get\" name=\"search\" class=\"searchBox\">\n"
         "<input type=\"text\" name=\"s\" size=\"24\" value=\"\">\n"
         "<input type=\"hidden\" name=\"ei\" value=\"UTF-8\">\n"
         "<input type=\"submit\" value=\"株価検索\">\n"
         "<span class=\"note\">コード、銘柄名、ティッカーで検索できます</span>\n"
         "</form>\n</div>\n";
    return h;
}

std::string Foot() {
    return "<div id=\"footer\">\n"
           "<ul class=\"footerNav\">\n"
           "<li><a href=\"/info/terms.html\">利用規約</a></li>\n"
           "<li><a href=\"/info/privacy.html\">プライバシー</a></li>\n"
           "<li><a href=\"/info/help.html\">ヘルプ・お問い合わせ</a></li>\n"
           "<li><a href=\"/info/disclaimer.html\">免責事項</a></li>\n"
           "</ul>\n"
           "<p "
           "class=\"notice\">"
           "株価情報は20分以上遅れて表示しています。投資に関する最終決定はご自身の判断でなさるようお願いいたします。"
           "掲載している情報の正確性については万全を期していますが、その内容を保証するものではありません。</p>\n"
           "<p class=\"copyright\">Copyright (C) Quote Data Service. All Rights Reserved.</p>\n"
           "</div>\n</div>\n</body>\n</html>\n";
}

// One labelled value as the site lays them out: an innermost DIV holding a "title" cell and the
// figure in <strong>.
std::string Line(const std::string& label, const std::string& value, const std::string& after) {
    return "<div class=\"lineFi clearfix\"><dl class=\"tseDtl\"><dt class=\"title\">" + label +
           "</dt><dd class=\"ymuiEditLink mar0\"><strong>" + value + "</strong>" + after + "</dd></dl></div>\n";
}

std::string SideColumn(const Quote& quote, const PageContext& context) {
    std::string s =
        "<div id=\"sub\">\n<div class=\"ranking\">\n<h2>アクセスランキング（株式）</h2>\n<table "
        "class=\"rankingTable\" summary=\"アクセスランキング\">\n";
    if (context.ranking != nullptr) {
        int rank = 0;
        for (const auto& item : *context.ranking) {
            if (item->kind != Kind::Stock) continue;
            ++rank;
            s += "<tr><td class=\"rank\">" + std::to_string(rank) +
                 "</td><td class=\"name\"><a href=\"/stocks/detail/?code=" + LinkCode(*item) + "\">" +
                 Escape(item->name) + "</a></td><td class=\"market\">" + MarketLabel(*item) +
                 "</td><td class=\"price\">" + PriceText(item->basePrice, item->decimals) + "</td></tr>\n";
        }
    }
    s += "</table>\n<p class=\"more\"><a href=\"/stocks/ranking/\">ランキングをもっと見る</a></p>\n</div>\n";
    s += "<div class=\"marketSummary\">\n<h2>国内市況</h2>\n<ul>\n"
         "<li>東証前場は小幅続伸、輸出関連株に買い</li>\n"
         "<li>円相場は小動き、米金利の動向を見極め</li>\n"
         "<li>新興市場はまちまち、個人の物色は継続</li>\n"
         "<li>債券先物は横ばい、日銀オペを通過</li>\n"
         "</ul>\n</div>\n";
    s += "<div class=\"related\">\n<h2>同じ業種の銘柄</h2>\n<ul>\n";
    if (context.ranking != nullptr)
        for (const auto& item : *context.ranking)
            if (item->industry == quote.instrument->industry && item.get() != quote.instrument)
                s += "<li><a href=\"/stocks/detail/?code=" + LinkCode(*item) + "\">" + Escape(item->name) +
                     "</a></li>\n";
    s += "</ul>\n</div>\n</div>\n";
    return s;
}

// The part of the detail page the program reads: heading, price, change and the labelled values.
std::string QuoteBlock(const Quote& q, const PageContext& context) {
    const Instrument& in = *q.instrument;
    const int d = in.decimals;
    const std::int64_t change = q.price - q.prevClose;
    const double percent =
        q.prevClose != 0 ? static_cast<double>(change) * 100.0 / static_cast<double>(q.prevClose) : 0;
    const bool stock = in.kind == Kind::Stock;
    const Fundamentals f = FundamentalsOf(in);

    std::string b;
    b += "<div class=\"stocksDtl clearFix\">\n<div class=\"forAddPortfolio\">\n";
    b += "<table class=\"stocksTable\" summary=\"株価詳細\">\n<tr>\n";
    b += "<th class=\"symbol\"><h1>【" + in.symbol + "】" + Escape(in.name) + "</h1></th>\n";
    if (in.kind == Kind::Fund) {
        b += "<td class=\"yjSb real\"><span class=\"yjSb\">基準価額（<strong>" + context.date +
             "</strong>）</span></td>\n";
        b += "<td class=\"stoksPrice\"><span class=\"yjFL\">" + PriceText(q.price, d) + "</span>円</td>\n";
    } else {
        b += "<td class=\"yjSb real\"><span class=\"yjSb\">現在値（<strong>" + context.time +
             "</strong>）</span></td>\n";
        b += std::string("<td class=\"stoksPrice\">") + (in.kind == Kind::Currency ? "" : "株価") +
             "<span class=\"yjFL\">" + PriceText(q.price, d) + "</span></td>\n";
    }
    const char* arrow = change > 0 ? "icoUpGreen" : (change < 0 ? "icoDownRed" : "icoNoChange");
    b += std::string("<td class=\"change\"><span class=\"yjSt\">前日比</span><span class=\"") + arrow + " yjMSt\">" +
         PriceText(change, d, true) + "（" + (change >= 0 ? "+" : "") + Fixed(percent, 2) + "%）</span></td>\n";
    b += "</tr>\n</table>\n";
    b += "<ul class=\"stocksInfo clearFix\">\n<li class=\"category\">" + std::string(MarketLabel(in)) + "</li>\n<li>" +
         Escape(in.industry) + "</li>\n</ul>\n</div>\n";

    b += "<div class=\"innerDate\">\n";
    b += Line("前日終値", PriceText(q.prevClose, d), "<span class=\"date yjSt\">（" + context.date + "）</span>");
    if (in.kind != Kind::Fund) {
        b += Line("始値", PriceText(q.open, d), "<span class=\"date yjSt\">（09:00）</span>");
        b += Line("高値", PriceText(q.high, d), "<span class=\"date yjSt\">（" + context.time + "）</span>");
        b += Line("安値", PriceText(q.low, d), "<span class=\"date yjSt\">（" + context.time + "）</span>");
        b += Line("出来高", stock ? Count(q.volume) : "---", stock ? "株" : "");
        b += Line("売買代金", stock ? Count(q.volume * static_cast<std::uint64_t>(q.price / kYen) / 1000) : "---",
                  stock ? "千円" : "");
        const std::int64_t limit = q.prevClose / 5 / kYen * kYen;
        b += Line("値幅制限",
                  stock ? PriceText(q.prevClose - limit, d) + "-" + PriceText(q.prevClose + limit, d) : "---", "");
    } else {
        b += Line("純資産総額", Count(f.shares / 1000), "百万円");
    }
    b += "</div>\n";

    b += "<div class=\"chartFinance clearFix\">\n<h2 class=\"yjM\">参考指標</h2>\n";
    const std::int64_t eps =
        stock && f.per > 0 ? static_cast<std::int64_t>(static_cast<double>(q.prevClose) / f.per) : 0;
    b += Line("時価総額", stock ? Count(f.shares * static_cast<std::uint64_t>(q.price / kYen) / 1000000) : "---",
              stock ? "百万円" : "");
    b += Line("発行済株式数", stock ? Count(f.shares) : "---", stock ? "株" : "");
    b +=
        Line("配当利回り<span class=\"yjSt\">（会社予想）</span>", stock ? Fixed(f.yield, 2) : "---", stock ? "%" : "");
    b += Line("1株配当<span class=\"yjSt\">（会社予想）</span>",
              stock ? Fixed(f.yield * static_cast<double>(q.prevClose) / kYen / 100.0, 2) : "---", "");
    b += Line("株価収益率<span class=\"yjSt\">（連）</span>", stock ? Fixed(f.per, 2) : "---", stock ? "倍" : "");
    b += Line("1株利益<span class=\"yjSt\">（連）</span>", stock ? PriceText(eps, 2) : "---", "");
    b += Line("株価純資産倍率<span class=\"yjSt\">（連）</span>", stock ? Fixed(f.pbr, 2) : "---", stock ? "倍" : "");
    b += Line("最低購入代金", stock ? Count(static_cast<std::uint64_t>(q.price / kYen) * f.unit) : "---", "");
    b += Line("単元株数", stock ? Count(f.unit) : "---", stock ? "株" : "");
    b += Line("年初来高値", PriceText(q.prevClose + q.prevClose / 4, d), "");
    b += Line("年初来安値", PriceText(q.prevClose - q.prevClose / 5, d), "");
    b += "</div>\n</div>\n";
    return b;
}

// Brings a page up to the size the site's pages have, in a comment the readers skip.
void Pad(std::string& page, std::size_t minimum) {
    if (page.size() >= minimum) return;
    static const std::string kFiller =
        "advertisement slot: rotation=standard; frequency=1; targeting=finance,stocks,market; "
        "placement=sidebar-lower; format=rectangle-300x250; fallback=house\n";
    std::string pad = "<!-- ads\n";
    while (page.size() + pad.size() + kFiller.size() + 4 < minimum) pad += kFiller;
    pad += "-->\n";
    const auto end = page.rfind("</body>");
    page.insert(end == std::string::npos ? page.size() : end, pad);
}

std::string DetailLike(const Quote& quote, const PageContext& context, bool old) {
    const Instrument& in = *quote.instrument;
    std::string p = Head(Escape(in.name) + "【" + in.symbol + "】：株価 - ファイナンス", context);
    p += "<div id=\"navi\" class=\"clearFix\"><p class=\"breadcrumb\"><a href=\"/\">ファイナンス</a> &gt; <a "
         "href=\"/stocks/\">株式</a> &gt; " +
         Escape(in.name) + "</p></div>\n";
    if (old) {
        p += "<div id=\"contents-body\">\n";
    } else {
        p += "<div id=\"contents\" class=\"clearFix\">\n<!--MAIN START-->\n<div id=\"main\">\n";
    }
    p += QuoteBlock(quote, context);
    p += "<div class=\"stockNav\">\n<ul>\n"
         "<li><a href=\"/q?s=" +
         in.symbol + "&amp;d=c\">チャート</a></li>\n<li><a href=\"/d?s=" + in.symbol +
         "\">時系列</a></li>\n<li><a href=\"/news?s=" + in.symbol +
         "\">ニュース</a></li>\n<li><a href=\"/bbs?action=q&amp;board=" + in.symbol +
         "\">掲示板</a></li>\n</ul>\n</div>\n";
    if (old) {
        p += "</div>\n";
    } else {
        p += "</div>\n<!--MAIN END-->\n";
    }
    p += SideColumn(quote, context);
    if (!old) p += "</div>\n";
    p += Foot();
    Pad(p, context.minimumBytes);
    return p;
}

// A JSON string; "<" is escaped so that no "</script>" can end the state early.
std::string JsonText(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20 || c == '<') {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", u);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// {"key":"value",...} from pairs whose values are texts.
std::string JsonObject(const std::vector<std::pair<const char*, std::string>>& members) {
    std::string out = "{";
    for (const auto& [key, value] : members) {
        if (out.size() > 1) out += ',';
        out += JsonText(key) + ":" + JsonText(value);
    }
    return out + "}";
}

const char* CurrentMarketName(const Instrument& instrument) {
    switch (instrument.market) {
        case 't':
            return "東証PRM";
        case 'o':
            return "大証";
        case 'q':
            return "東証STD";
        case 'n':
            return "名証PRM";
        case 'j':
            return "東証GRT";
        default:
            break;
    }
    return MarketLabel(instrument);
}

// One row of the detail list as the site's components render it.
std::string DataRow(const std::string& label, const std::string& value) {
    return "<li class=\"DataListItem__3Ftz\"><dl><dt class=\"DataListItem__name__3RQJ\">" + label +
           "</dt><dd class=\"DataListItem__value__11kV\"><span class=\"StyledNumber__1fof\"><span "
           "class=\"StyledNumber__value__3rXW\">" +
           value + "</span></span></dd></dl></li>\n";
}

const char* const kBoardTitles[] = {
    "決算発表を前にして", "今日の値動きについて", "長期で持ち続けます",   "配当狙いで買い増し", "出来高が増えてきた",
    "チャートの形が良い", "ここからが勝負",       "押し目を待っています", "業績は堅調だと思う", "様子見です",
};

const char* const kHeadlines[] = {
    "、通期業績予想を上方修正", "、新中期経営計画を発表", "の株価が反発、買い戻し優勢", "、自己株式の取得を決議",
    "、海外子会社を設立へ",     "の格付けを据え置き",     "、新製品の投入を前倒し",     "、月次売上高が前年を上回る",
};

}  // namespace

bool ParseEncoding(const std::string& text, Encoding& encoding) {
    std::string t = text;
    for (char& c : t)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (t == "utf8" || t == "utf-8") {
        encoding = Encoding::Utf8;
    } else if (t == "sjis" || t == "shift_jis" || t == "cp932") {
        encoding = Encoding::Sjis;
    } else if (t == "euc" || t == "euc-jp") {
        encoding = Encoding::Euc;
    } else if (t == "jis" || t == "iso-2022-jp") {
        encoding = Encoding::Jis;
    } else {
        return false;
    }
    return true;
}

const char* EncodingName(Encoding encoding) {
    switch (encoding) {
        case Encoding::Sjis:
            return "sjis";
        case Encoding::Euc:
            return "euc";
        case Encoding::Jis:
            return "jis";
        case Encoding::Utf8:
            break;
    }
    return "utf8";
}

const char* CharsetName(Encoding encoding) {
    switch (encoding) {
        case Encoding::Sjis:
            return "Shift_JIS";
        case Encoding::Euc:
            return "EUC-JP";
        case Encoding::Jis:
            return "ISO-2022-JP";
        case Encoding::Utf8:
            break;
    }
    return "UTF-8";
}

std::string EncodePage(const std::string& utf8, Encoding encoding) {
    if (encoding == Encoding::Utf8) return utf8;
    const char* target = encoding == Encoding::Sjis ? "CP932" : (encoding == Encoding::Euc ? "EUC-JP" : "ISO-2022-JP");
    iconv_t cd = iconv_open(target, "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) return utf8;
    std::string out;
    out.reserve(utf8.size());
    char* src = const_cast<char*>(utf8.data());
    std::size_t srcLeft = utf8.size();
    char buffer[8192];
    while (true) {
        char* dst = buffer;
        std::size_t dstLeft = sizeof buffer;
        const std::size_t rc =
            srcLeft > 0 ? iconv(cd, &src, &srcLeft, &dst, &dstLeft) : iconv(cd, nullptr, nullptr, &dst, &dstLeft);
        out.append(buffer, static_cast<std::size_t>(dst - buffer));
        if (rc != static_cast<std::size_t>(-1)) {
            if (srcLeft == 0) break;
            continue;
        }
        if (errno == E2BIG) continue;
        // A character the set lacks (or broken input): one "?" for the whole UTF-8 sequence.
        std::size_t skip = 1;
        while (skip < srcLeft && (static_cast<unsigned char>(src[skip]) & 0xC0) == 0x80) ++skip;
        src += skip;
        srcLeft -= skip;
        char question[] = "?";
        char* q = question;
        std::size_t qLeft = 1;
        dst = buffer;
        dstLeft = sizeof buffer;
        iconv(cd, &q, &qLeft, &dst, &dstLeft);
        out.append(buffer, static_cast<std::size_t>(dst - buffer));
    }
    iconv_close(cd);
    return out;
}

std::string DetailPage(const Quote& quote, const PageContext& context) { return DetailLike(quote, context, false); }

std::string OldQuotePage(const Quote& quote, const PageContext& context) { return DetailLike(quote, context, true); }

std::string CurrentCode(const Instrument& instrument) {
    switch (instrument.kind) {
        case Kind::Currency: {
            std::string code = instrument.symbol;
            if (code.ends_with("=X")) code.insert(code.size() - 1, "F");
            return code;
        }
        case Kind::Index:
            return instrument.symbol + (instrument.symbol == "998407" ? ".O" : ".T");
        case Kind::Fund:
            return instrument.symbol;
        case Kind::Stock:
            break;
    }
    return instrument.symbol + "." + static_cast<char>((instrument.market != 0 ? instrument.market : 't') - 'a' + 'A');
}

// The lists around today's main block, as the site renders them: news headlines, rankings and
// links, in Japanese, to at least `bytes`.
std::string CurrentChrome(std::size_t bytes, const PageContext& context) {
    static const char* const kHeadlines[] = {
        "日経平均は続伸、輸出関連株に買い　円安進行が支え", "東証プライム、値上がり銘柄数が全体の７割超に",
        "米長期金利の低下を受け、ハイテク株が上昇",         "自動車株が軒並み高、北米販売の好調を好感",
        "商社株に利益確定売り、原油価格の下落で",           "銀行株が反発、国内金利の先高観で",
    };
    static const char* const kMedia[] = {"ロイター", "時事通信", "日本経済新聞", "株探ニュース"};
    std::string chrome;
    for (int i = 0; chrome.size() < bytes; ++i) {
        const std::string n = std::to_string(i);
        chrome +=
            "<section class=\"NewsList__2Mxb\"><h3 class=\"NewsList__title__1xPd\">関連ニュース</h3><ul "
            "class=\"NewsList__list__3Rtq\">";
        for (int k = 0; k < 4; ++k) {
            const int h = (i * 4 + k) % 6;
            chrome +=
                "<li class=\"NewsList__item__2dGx\"><a class=\"NewsList__link__1pZz\" "
                "href=\"https://finance.yahoo.co.jp/news/detail/" +
                n + std::to_string(k) + "a7f3c9e21d\"><span class=\"NewsList__headline__2Xq4\">" + kHeadlines[h] +
                "</span><span class=\"NewsList__media__3kPn\">" + kMedia[(i + k) % 4] +
                "</span><time class=\"NewsList__time__1Fhc\">" + context.date + " " + context.time + "</time></a></li>";
        }
        chrome +=
            "</ul></section><section class=\"Ranking__3Qx1\"><h3 class=\"Ranking__title__2bNk\">値上がり率ランキング"
            "</h3><ol class=\"Ranking__list__1kFg\"><li class=\"Ranking__item__3TbY\"><a "
            "href=\"/quote/" +
            std::to_string(1300 + i % 8000) + ".T\">" + kMedia[i % 4] +
            "関連銘柄</a><span class=\"StyledNumber__value__3rXW\">+" + std::to_string(i % 17) +
            ".25</span>%</li></ol></section>\n";
    }
    return chrome;
}

// Members of today's state object beside the quote (the page's news list), to at least `bytes`;
// each begins with a comma, to go behind the members already there.
std::string CurrentStateExtras(std::size_t bytes, const PageContext& context) {
    std::string articles;
    for (int i = 0; articles.size() < bytes; ++i) {
        if (!articles.empty()) articles += ',';
        char minute[8];
        std::snprintf(minute, sizeof minute, "%02d", i % 60);
        articles +=
            JsonObject({{"articleId", "20250919-" + std::to_string(100000 + i)},
                        {"headline", "東証前引け　日経平均は小幅続伸、半導体関連が堅調"},
                        {"media", "株探ニュース"},
                        {"publishedTime", "2025-" + context.date.substr(0, 2) + "-19T09:" + minute + ":00+09:00"},
                        {"url", "https://finance.yahoo.co.jp/news/detail/" + std::to_string(900000 + i)},
                        {"thumbnail", "https://s.yimg.jp/images/finance/news/" + std::to_string(i) + ".jpg"}});
    }
    return ",\"mainStocksNews\":{\"articles\":[" + articles + "],\"isLoading\":false}";
}

std::string CurrentQuotePage(const Quote& q, const PageContext& context) {
    const Instrument& in = *q.instrument;
    const int d = in.decimals;
    const bool stock = in.kind == Kind::Stock;
    const std::int64_t change = q.price - q.prevClose;
    const double percent =
        q.prevClose != 0 ? static_cast<double>(change) * 100.0 / static_cast<double>(q.prevClose) : 0;
    const Fundamentals f = FundamentalsOf(in);
    const std::int64_t eps =
        stock && f.per > 0 ? static_cast<std::int64_t>(static_cast<double>(q.prevClose) / f.per) : 0;
    const std::string code = CurrentCode(in);
    const std::string dash = "---";

    const std::string price = PriceText(q.price, d);
    const std::string changeText = PriceText(change, d);
    const std::string rate = Fixed(percent, 2);
    const std::string previous = PriceText(q.prevClose, d);
    const std::string open = PriceText(q.open, d);
    const std::string high = PriceText(q.high, d);
    const std::string low = PriceText(q.low, d);
    const std::string volume = stock ? Count(q.volume) : dash;
    const std::string yield = stock ? Fixed(f.yield, 2) : dash;
    const std::string per = stock ? Fixed(f.per, 2) : dash;
    const std::string pbr = stock ? Fixed(f.pbr, 2) : dash;
    const std::string epsText = stock ? PriceText(eps, 2) : dash;

    std::string p = "<!DOCTYPE html><html lang=\"ja\"><head><meta charSet=\"utf-8\"/>";
    p += "<title>" + Escape(in.name) + "【" + in.symbol + "】：株価・株式情報 - Yahoo!ファイナンス</title>";
    p += "<meta name=\"viewport\" content=\"width=1024\"/><link rel=\"canonical\" href=\"/quote/" + code + "\"/>";
    p += "<link rel=\"stylesheet\" href=\"/_next/static/css/a8f3c1d2.css\"/></head>\n<body>\n<div id=\"root\">";
    p += "<header class=\"Header__header__3xTa\"><nav class=\"GlobalNav__nav__2s8Y\"><ul>"
         "<li class=\"GlobalNav__item__7Xzj\"><a class=\"GlobalNav__link__27pJ\" href=\"/\">トップ</a></li>"
         "<li class=\"GlobalNav__item__7Xzj\"><a class=\"GlobalNav__link__27pJ\" href=\"/stocks\">株式</a></li>"
         "<li class=\"GlobalNav__item__7Xzj\"><a class=\"GlobalNav__link__27pJ\" href=\"/fx\">FX・為替</a></li>"
         "<li class=\"GlobalNav__item__7Xzj\"><a class=\"GlobalNav__link__27pJ\" href=\"/news\">ニュース</a></li>"
         "</ul></nav></header>\n";
    p += "<main class=\"Main__main__1yKO\"><div id=\"main\" class=\"Main__column__3iQ4\">\n";
    p += "<section class=\"PriceBoard__main__1liM\"><header class=\"PriceBoard__header__2Wi4\"><h2 "
         "class=\"PriceBoard__name__166W\">" +
         Escape(in.name) + "</h2><div class=\"PriceBoard__nameInfo__3Z6v\"><span class=\"PriceBoard__code__SnMF\">" +
         Escape(in.symbol) + "</span><span class=\"PriceBoard__market__1Ne1\">" + CurrentMarketName(in) +
         "</span></div></header>\n";
    p += "<div class=\"PriceBoard__priceInformation__78Tl\"><div class=\"PriceBoard__priceBlock__1PmX\"><span "
         "class=\"StyledNumber__1fof PriceBoard__price__1V0k\"><span class=\"StyledNumber__value__3rXW\">" +
         price + "</span></span><ul class=\"PriceBoard__times__3vFN\"><li class=\"PriceBoard__time__3ixW\"><time>" +
         context.time + "</time></li></ul></div>\n";
    p += "<div class=\"PriceChangeLabel__3mxh\"><dl><dt class=\"PriceChangeLabel__term__1Fw6\">前日比</dt><dd "
         "class=\"PriceChangeLabel__description__a5Lp\"><span class=\"PriceChangeLabel__primary__Y_ut\"><span "
         "class=\"StyledNumber__value__3rXW\">" +
         changeText +
         "</span></span><span class=\"PriceChangeLabel__secondary__3BXI\">(<span "
         "class=\"StyledNumber__value__3rXW\">" +
         rate + "</span>%)</span></dd></dl></div></div></section>\n";
    p += "<section class=\"StocksDetail__1m0Y\"><h2 class=\"StocksDetail__title__2Ucm\">詳細情報</h2><ul "
         "class=\"StocksDetail__list__3Bxq\">\n";
    p += DataRow("前日終値", previous) + DataRow("始値", open) + DataRow("高値", high) + DataRow("安値", low) +
         DataRow("出来高", volume);
    p += "</ul></section>\n<section class=\"ReferenceIndex__1yXm\"><h2 "
         "class=\"ReferenceIndex__title__3oMH\">参考指標</h2><ul class=\"ReferenceIndex__list__2e5c\">\n";
    p += DataRow("配当利回り（会社予想）", yield) + DataRow("PER（会社予想）", per) + DataRow("PBR（実績）", pbr) +
         DataRow("EPS（会社予想）", epsText);
    p += "</ul></section>\n</div></main>\n";
    p += "<footer class=\"Footer__footer__1pLq\"><p "
         "class=\"Footer__notice__3jRu\">株価情報は20分以上遅れて表示しています。</p></footer></div>\n";
    // The recorded page: 163 KB, its state object (43 KB) beginning at 119 KB.
    const std::size_t stateBytes = context.currentPageBytes / 4;
    const std::size_t chromeBytes = context.currentPageBytes - stateBytes;
    if (chromeBytes > p.size()) p.insert(p.find("<footer"), CurrentChrome(chromeBytes - p.size(), context));
    Pad(p, context.minimumBytes);

    std::string state = "{";
    state += "\"mainStocksPriceBoard\":{\"priceBoard\":" +
             JsonObject({{"code", in.symbol},
                         {"codeWithMarketExtension", code},
                         {"name", in.name},
                         {"marketName", CurrentMarketName(in)},
                         {"price", price},
                         {"priceDateTime", context.time},
                         {"priceChange", changeText},
                         {"priceChangeRate", rate}}) +
             ",\"currentTabNavigationKey\":\"detail\"}";
    state += ",\"mainStocksDetail\":{\"detail\":" +
             JsonObject({{"previousPrice", previous},
                         {"previousPriceDate", context.date},
                         {"openPrice", open},
                         {"openPriceDateTime", "09:00"},
                         {"highPrice", high},
                         {"highPriceDateTime", context.time},
                         {"lowPrice", low},
                         {"lowPriceDateTime", context.time},
                         {"volume", volume},
                         {"volumeDateTime", context.time}}) +
             ",\"referenceIndex\":" +
             JsonObject({{"shareDividendYield", yield},
                         {"per", per},
                         {"pbr", pbr},
                         {"eps", epsText},
                         {"shareUnit", stock ? Count(f.unit) : dash}}) +
             "}";
    state += ",\"pageInfo\":{\"pageType\":\"stocksDetail\",\"code\":" + JsonText(code) + "}";
    if (stateBytes > state.size()) state += CurrentStateExtras(stateBytes - state.size(), context);
    state += "}";
    p += "<script>window.__PRELOADED_STATE__ = " + state + "</script>\n</body>\n</html>\n";
    return p;
}

std::string BoardPage(const Quote& quote, const PageContext& context) {
    const Instrument& in = *quote.instrument;
    std::string p = Head(Escape(in.name) + "【" + in.symbol + "】：掲示板 - ファイナンス", context);
    const std::string thread = "/bbs?action=m&amp;board=" + in.symbol +
                               "&amp;tid=" + std::to_string(Hash(in.symbol) % 90000 + 10000) + "&amp;sid=" + in.symbol +
                               "&amp;mid=";
    p += "<div id=\"contents\" class=\"clearFix\">\n<div id=\"bbs\">\n";
    p += "<h1>" + Escape(in.name) + "【" + in.symbol + "】の掲示板</h1>\n";
    p += "<p class=\"summary\">投稿数：" + Count(quote.boardId) + "件</p>\n";
    p += "<div class=\"threadHead\"><a href=\"" + thread + std::to_string(quote.boardId) +
         "\">最新の投稿を読む</a> <a href=\"/bbs?action=q&amp;board=" + in.symbol +
         "&amp;sort=1\">古い順に表示</a></div>\n";
    p += "<ul class=\"posts\">\n";
    for (std::uint32_t k = 0; k < 10 && k < quote.boardId; ++k) {
        const std::uint32_t id = quote.boardId - k;
        p += "<li class=\"post\"><span class=\"no\">" + std::to_string(id) + "</span> <a href=\"" + thread +
             std::to_string(id) + "\">" + kBoardTitles[id % 10] + "</a> <span class=\"date\">" + context.date + " " +
             context.time + "</span></li>\n";
    }
    p += "</ul>\n</div>\n</div>\n";
    p += Foot();
    Pad(p, context.minimumBytes);
    return p;
}

std::string NewsPage(const Quote& quote, const PageContext& context) {
    const Instrument& in = *quote.instrument;
    std::string p = Head(Escape(in.name) + "【" + in.symbol + "】：ニュース - ファイナンス", context);
    p += "<div id=\"contents\" class=\"clearFix\">\n<div id=\"news\">\n";
    p += "<h1>" + Escape(in.name) + "【" + in.symbol + "】の関連ニュース</h1>\n<ul class=\"newsList\">\n";
    for (std::uint32_t k = 0; k < 8 && k < quote.newsId; ++k) {
        const std::uint32_t id = quote.newsId - k;
        char article[64];
        std::snprintf(article, sizeof article, "%08u-%04u-qds-bus_all", id,
                      static_cast<unsigned>(Hash(in.symbol) % 10000));
        p += std::string("<li><a href=\"/hl?a=") + article + "\">" + Escape(in.name) + kHeadlines[id % 8] +
             "</a> <span class=\"date\">" + context.date + " " + context.time +
             "</span> <span class=\"source\">（QDS）</span></li>\n";
    }
    p += "</ul>\n<div class=\"paging\"><a href=\"/news?s=" + in.symbol + "&amp;p=2\">次のページ</a></div>\n";
    p += "</div>\n</div>\n";
    p += Foot();
    Pad(p, context.minimumBytes);
    return p;
}

std::string SearchPage(const std::string& keywordUtf8, const std::vector<SearchHit>& hits, int pageIndex,
                       std::size_t total, std::size_t perPage, const PageContext& context) {
    const std::string keyword = Escape(keywordUtf8);
    std::string p = Head("「" + keyword + "」の銘柄検索結果 - ファイナンス", context);
    p += "<div id=\"contents\" class=\"clearFix\">\n<!--MAIN START-->\n<div id=\"main\">\n<div "
         "class=\"searchResult\">\n";
    p += "<h1>銘柄検索結果</h1>\n";
    const std::size_t from = static_cast<std::size_t>(pageIndex) * perPage + 1;
    if (hits.empty()) {
        p += "<p class=\"summary\">「" + keyword + "」に該当する銘柄は見つかりませんでした。</p>\n<!-- list -->\n";
        p += "<p class=\"hint\">銘柄名の一部やコードで検索してください。</p>\n";
    } else {
        p += "<p class=\"summary\">「" + keyword + "」の検索結果：" + std::to_string(total) + "件中 " +
             std::to_string(from) + "-" + std::to_string(from + hits.size() - 1) + "件</p>\n<!-- list -->\n";
        p += "<table class=\"yjS\" "
             "summary=\"検索結果一覧\">\n<tr><th>コード</th><th>市場</th><th>名称</th><th>取引値</th></tr>\n";
        for (const SearchHit& hit : hits) {
            const Instrument& in = *hit.instrument;
            const std::string code = LinkCode(in);
            p += "<tr><td class=\"code\"><a href=\"/stocks/detail/?code=" + code + "\">" + code +
                 "</a></td><td class=\"market\">" + MarketLabel(in) + "</td><td class=\"name\"><strong>" +
                 Escape(in.name) + "</strong></td><td class=\"price\">" + PriceText(hit.price, in.decimals) +
                 "</td></tr>\n";
        }
        p += "</table>\n";
        if (from + hits.size() - 1 < total)
            p += "<div class=\"paging\"><a href=\"/stocks/search/?s=" + keyword +
                 "&amp;p=" + std::to_string(pageIndex + 1) + "&amp;ei=UTF-8\">次へ</a></div>\n";
    }
    p += "</div>\n</div>\n<!--MAIN END-->\n</div>\n";
    p += Foot();
    Pad(p, context.minimumBytes);
    return p;
}

std::string NotFoundPage(const std::string& path, const PageContext& context) {
    std::string p = Head("ページが見つかりません - ファイナンス", context);
    p += "<div id=\"contents\" class=\"clearFix\">\n<div id=\"error\">\n<h1>ページが見つかりません</h1>\n";
    p += "<p>お探しのページ（" + Escape(path) +
         "）は見つかりませんでした。アドレスをご確認ください。</p>\n</div>\n</div>\n";
    p += Foot();
    return p;
}

std::string ReleaseFile(std::uint32_t major, std::uint32_t minor) {
    const std::string version = std::to_string(major) + "." + std::to_string(minor);
    const std::string text = std::to_string(major) + " " + std::to_string(minor) + ">Quotrix " + version +
                             " を公開しました。\r\n新しいバージョンはダウンロードページから入手できます。\r\n";
    return EncodePage(text, Encoding::Sjis);
}

}  // namespace quotesrv
