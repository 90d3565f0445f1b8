#include "QuoteServer.h"

#include <httplib.h>

#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <map>
#include <mutex>
#include <random>
#include <sstream>

namespace quotesrv {

namespace {

constexpr std::size_t kPerSearchPage = 20;
constexpr std::size_t kLargestBlob = 256u << 20;
// Every keep-alive connection holds one of these threads while it is open, and clients keep
// idle connections for a while: a pool much larger than the clients' parallelism.
constexpr std::size_t kServerThreads = 64;

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string Base64(const std::string& in) {
    static const char kTable[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::size_t i = 0;
    for (; i + 2 < in.size(); i += 3) {
        const unsigned v = (static_cast<unsigned char>(in[i]) << 16) | (static_cast<unsigned char>(in[i + 1]) << 8) |
                           static_cast<unsigned char>(in[i + 2]);
        out += kTable[(v >> 18) & 63];
        out += kTable[(v >> 12) & 63];
        out += kTable[(v >> 6) & 63];
        out += kTable[v & 63];
    }
    if (i + 1 == in.size()) {
        const unsigned v = static_cast<unsigned char>(in[i]) << 16;
        out += kTable[(v >> 18) & 63];
        out += kTable[(v >> 12) & 63];
        out += "==";
    } else if (i + 2 == in.size()) {
        const unsigned v = (static_cast<unsigned char>(in[i]) << 16) | (static_cast<unsigned char>(in[i + 1]) << 8);
        out += kTable[(v >> 18) & 63];
        out += kTable[(v >> 12) & 63];
        out += kTable[(v >> 6) & 63];
        out += '=';
    }
    return out;
}

std::string Now(const char* format) {
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    char buffer[64];
    std::strftime(buffer, sizeof buffer, format, &local);
    return buffer;
}

std::string LogStamp() {
    const auto now = std::chrono::system_clock::now();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, ".%03d", static_cast<int>(ms));
    return Now("%Y/%m/%d %H:%M:%S") + buffer;
}

// Self-describing filler: 16-byte lines, each holding its own offset, so that a client's test
// can see a lost, doubled or reordered piece anywhere in the body.
std::string Blob(std::size_t bytes) {
    std::string blob;
    blob.reserve(bytes + 16);
    char line[32];
    for (std::size_t offset = 0; offset < bytes; offset += 16) {
        std::snprintf(line, sizeof line, "%015zu\n", offset);
        blob.append(line, 16);
    }
    blob.resize(bytes);
    return blob;
}

bool SafeRelative(const std::string& path) {
    if (path.find("..") != std::string::npos || path.find('\\') != std::string::npos) return false;
    return path.find('\0') == std::string::npos;
}

std::string ReadFile(const std::string& path, bool& found) {
    std::ifstream in(path, std::ios::binary);
    found = in.good();
    if (!found) return {};
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

std::string ContentTypeOf(const std::string& name) {
    const std::string n = Lower(name);
    if (n.ends_with(".html") || n.ends_with(".htm")) return "text/html";
    if (n.ends_with(".json")) return "application/json";
    if (n.ends_with(".css")) return "text/css";
    if (n.ends_with(".js")) return "text/javascript";
    return "text/plain";
}

// "/stocks/detail/?code=7203.T" -> "_stocks_detail__code_7203.T": a recorded page's file name.
std::string FixtureName(const std::string& target) {
    std::string name;
    for (char c : target) {
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
                          c == '-' || c == '_';
        name += keep ? c : '_';
    }
    return name;
}

}  // namespace

std::string PercentDecode(const std::string& text, bool plusIsBlank) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%' && i + 2 < text.size()) {
            const int hi = HexValue(text[i + 1]);
            const int lo = HexValue(text[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        out += (c == '+' && plusIsBlank) ? ' ' : c;
    }
    return out;
}

Target ParseTarget(const std::string& target) {
    Target t;
    const auto question = target.find('?');
    t.path = target.substr(0, question);
    if (question == std::string::npos) return t;
    std::string query = target.substr(question + 1);
    if (const auto hash = query.find('#'); hash != std::string::npos) query.erase(hash);
    std::size_t at = 0;
    while (at <= query.size()) {
        auto end = query.find('&', at);
        if (end == std::string::npos) end = query.size();
        const std::string pair = query.substr(at, end - at);
        if (!pair.empty()) {
            const auto equals = pair.find('=');
            t.query.emplace_back(
                PercentDecode(pair.substr(0, equals), true),
                equals == std::string::npos ? std::string() : PercentDecode(pair.substr(equals + 1), true));
        }
        at = end + 1;
    }
    return t;
}

std::string Target::Get(const std::string& key) const {
    for (const auto& [k, v] : query)
        if (k == key) return v;
    return {};
}

bool Target::Has(const std::string& key) const {
    for (const auto& [k, v] : query)
        if (k == key) return true;
    return false;
}

bool ParseSite(const std::string& text, Site& site) {
    const std::string t = Lower(text);
    if (t == "classic")
        site = Site::Classic;
    else if (t == "current")
        site = Site::Current;
    else
        return false;
    return true;
}

const char* SiteName(Site site) { return site == Site::Current ? "current" : "classic"; }

bool ParseStatusBurst(const std::string& text, StatusBurst& burst) {
    StatusBurst parsed;
    unsigned code = 0, count = 0;
    int used = 0;
    if (std::sscanf(text.c_str(), "%3u:%9u%n", &code, &count, &used) != 2 || code < 100 || code > 599) return false;
    const std::string rest = text.substr(static_cast<std::size_t>(used));
    if (!rest.empty() && rest[0] != ':') return false;
    parsed.status = static_cast<int>(code);
    parsed.count = count;
    if (!rest.empty()) parsed.retryAfter = rest.substr(1);
    burst = parsed;
    return true;
}

struct QuoteServer::Impl {
    httplib::Server server;
    std::mutex burstLock;
    StatusBurst burst;

    // Takes one answer of the burst under way; false when none is left.
    bool TakeBurst(StatusBurst& answer) {
        std::lock_guard lock(burstLock);
        if (burst.count == 0) return false;
        --burst.count;
        answer = burst;
        return true;
    }

    std::mutex randomLock;
    std::mt19937_64 random;
    std::map<std::string, std::string> fixtureMap;  // target (or prefix ending in '*') -> file

    double Chance() {
        std::lock_guard lock(randomLock);
        return std::uniform_real_distribution<double>(0.0, 1.0)(random);
    }
};

namespace {

struct Answer {
    int status = 200;
    std::string body;
    std::string contentType = "text/html";
    bool drop = false;  // send the headers, then close
    bool slow = false;
    std::size_t slowChunk = 256;
    int slowMs = 20;
    std::string note;  // for the log line
};

void Deliver(httplib::Response& res, Answer answer) {
    res.status = answer.status;
    if (answer.drop) {
        res.set_content_provider(answer.body.size() + 1, answer.contentType,
                                 [](std::size_t, std::size_t, httplib::DataSink&) { return false; });
        return;
    }
    if (!answer.slow) {
        res.set_content(std::move(answer.body), answer.contentType);
        return;
    }
    auto body = std::make_shared<std::string>(std::move(answer.body));
    const std::size_t chunk = std::max<std::size_t>(1, answer.slowChunk);
    const int ms = answer.slowMs;
    res.set_content_provider(body->size(), answer.contentType,
                             [body, chunk, ms](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                                 const std::size_t n = std::min(chunk, length);
                                 if (!sink.write(body->data() + offset, n)) return false;
                                 std::this_thread::sleep_for(std::chrono::milliseconds(ms));
                                 return true;
                             });
}

}  // namespace

QuoteServer::QuoteServer(ServerOptions options)
    : options_(std::move(options)), market_(options_.seed), impl_(std::make_unique<Impl>()) {
    impl_->random.seed(options_.seed * 0x9E3779B97F4A7C15ull + 1);
    impl_->burst = options_.burst;
}

void QuoteServer::StartBurst(const StatusBurst& burst) {
    std::lock_guard lock(impl_->burstLock);
    impl_->burst = burst;
}

QuoteServer::~QuoteServer() { Stop(); }

bool QuoteServer::Start() {
    httplib::Server& server = impl_->server;
    server.new_task_queue = [] { return new httplib::ThreadPool(kServerThreads); };
    // Headers and body go out in separate writes; without this the body waits for the
    // client's delayed acknowledgement of the headers (some 40 ms a page).
    server.set_tcp_nodelay(true);
    server.set_keep_alive_max_count(1000);
    server.set_keep_alive_timeout(5);

    if (!options_.fixturesDir.empty()) {
        bool found = false;
        std::istringstream map(ReadFile(options_.fixturesDir + "/fixtures.map", found));
        std::string line;
        while (std::getline(map, line)) {
            if (line.empty() || line[0] == '#') continue;
            std::istringstream fields(line);
            std::string target, file;
            if (fields >> target >> file) impl_->fixtureMap[target] = file;
        }
    }

    server.Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
        const auto started = std::chrono::steady_clock::now();
        ++requests_;
        Answer answer;
        std::string target = req.target;
        Encoding encoding = options_.encoding;
        bool served = false;

        // An absolute address is a proxy request. Only this server is served that way.
        const std::string lowerTarget = Lower(target.substr(0, 8));
        if (lowerTarget.starts_with("http://") || lowerTarget.starts_with("https://")) {
            ++proxied_;
            // Credentials asked for: the server's own, or a request's "proxyauth=USER:PASSWORD".
            std::string wanted = options_.proxyUser.empty() ? "" : options_.proxyUser + ":" + options_.proxyPassword;
            if (const Target asked = ParseTarget(target); asked.Has("proxyauth")) wanted = asked.Get("proxyauth");
            const std::string expected = "Basic " + Base64(wanted);
            const auto authority = target.find("://") + 3;
            const auto slash = target.find('/', authority);
            const std::string host = Lower(target.substr(authority, slash - authority));
            if (!wanted.empty() && req.get_header_value("Proxy-Authorization") != expected) {
                answer.status = 407;
                answer.body = "<html><body><h1>407 Proxy Authentication Required</h1></body></html>\n";
                res.set_header("Proxy-Authenticate", "Basic realm=\"quote-server\"");
                served = true;
            } else if (host != "127.0.0.1:" + std::to_string(port_) && host != "localhost:" + std::to_string(port_)) {
                answer.status = 502;
                answer.body =
                    "<html><body><h1>502 Bad Gateway</h1><p>This proxy reaches only its own pages.</p></body></html>\n";
                served = true;
            }
            target = slash == std::string::npos ? "/" : target.substr(slash);
            answer.note = "proxied";
        }

        Target t = ParseTarget(target);
        // Prefixes in any order ("/current/sjis/..."); `prefixes` is kept for redirect addresses,
        // so that the next request is served the same way.
        Site site = options_.site;
        std::string prefixes;
        for (bool stripped = true; stripped;) {
            stripped = false;
            for (Encoding e : {Encoding::Utf8, Encoding::Sjis, Encoding::Euc, Encoding::Jis}) {
                const std::string prefix = std::string("/") + EncodingName(e) + "/";
                if (t.path.starts_with(prefix)) {
                    encoding = e;
                    t.path.erase(0, prefix.size() - 1);
                    target.erase(0, prefix.size() - 1);
                    prefixes += prefix.substr(0, prefix.size() - 1);
                    stripped = true;
                }
            }
            for (Site s : {Site::Classic, Site::Current}) {
                const std::string prefix = std::string("/") + SiteName(s) + "/";
                if (t.path.starts_with(prefix)) {
                    site = s;
                    t.path.erase(0, prefix.size() - 1);
                    target.erase(0, prefix.size() - 1);
                    prefixes += prefix.substr(0, prefix.size() - 1);
                    stripped = true;
                }
            }
        }
        if (t.Has("enc")) ParseEncoding(t.Get("enc"), encoding);
        std::string siteKey;
        if (t.Has("site") && ParseSite(t.Get("site"), site)) siteKey = std::string("site=") + SiteName(site);

        int latency = options_.latencyMs;
        if (t.Has("latency")) latency = std::atoi(t.Get("latency").c_str());
        if (latency > 0) std::this_thread::sleep_for(std::chrono::milliseconds(std::min(latency, 60000)));

        PageContext context;
        context.encoding = encoding;
        context.time = Now("%H:%M");
        context.date = Now("%m/%d");
        context.ranking = &market_.BuiltIn();
        context.minimumBytes = options_.pageBytes;
        context.currentPageBytes = options_.currentPageBytes;
        if (t.Has("pad"))
            context.minimumBytes = context.currentPageBytes =
                std::min<std::size_t>(std::strtoull(t.Get("pad").c_str(), nullptr, 10), 16u << 20);
        answer.slow = options_.slow || t.Has("slow");

        const bool testPath = t.path.starts_with("/test/");
        if (!served && !testPath && options_.failRate > 0 && impl_->Chance() < options_.failRate) {
            if (impl_->Chance() < 0.5) {
                answer.status = 500;
                answer.body = "<html><body><h1>500 Internal Server Error</h1></body></html>\n";
                answer.note += " failed";
            } else {
                answer.drop = true;
                answer.body = "x";
                answer.note += " dropped";
            }
            served = true;
        }

        if (StatusBurst burst; !served && impl_->TakeBurst(burst)) {
            answer.status = burst.status;
            answer.body = "<html><body><h1>" + std::to_string(burst.status) + "</h1></body></html>\n";
            if (!burst.retryAfter.empty()) res.set_header("Retry-After", burst.retryAfter);
            answer.note += " burst";
            ++burstAnswers_;
            served = true;
        }

        auto html = [&](std::string utf8) {
            answer.body = EncodePage(utf8, encoding);
            answer.contentType = std::string("text/html; charset=") + CharsetName(encoding);
        };
        auto notFound = [&] {
            answer.status = 404;
            html(NotFoundPage(t.path, context));
        };
        auto redirect = [&](int status, const std::string& location) {
            answer.status = status;
            answer.body = "<html><body><h1>" + std::to_string(status) + "</h1><p>Moved to <a href=\"" + location +
                          "\">" + location + "</a></p></body></html>\n";
            if (!location.empty()) res.set_header("Location", location);
            answer.note += " -> " + location;
        };
        // Today's site moved the classic quote addresses to "/quote/CODE" for good.
        const Instrument* moved = nullptr;
        if (!served && site == Site::Current) {
            if (t.path == "/stocks/detail/" || t.path == "/stocks/detail")
                moved = market_.Find(t.Get("code"));
            else if (t.path == "/q")
                moved = market_.Find(t.Get("s"));
        }

        if (served) {
        } else if (t.path == "/test/echo") {
            std::string echo = req.method + " " + req.target + " " + req.version + "\r\n";
            for (const auto& [name, value] : req.headers)
                if (name != "LOCAL_ADDR" && name != "LOCAL_PORT" && name != "REMOTE_ADDR" && name != "REMOTE_PORT")
                    echo += name + ": " + value + "\r\n";
            answer.body = echo;
            answer.contentType = "text/plain";
        } else if (t.path == "/test/blob") {
            answer.body = Blob(std::min<std::size_t>(std::strtoull(t.Get("bytes").c_str(), nullptr, 10), kLargestBlob));
            answer.contentType = "text/plain";
        } else if (t.path == "/test/empty") {
            answer.contentType = "text/plain";
        } else if (t.path == "/test/status") {
            answer.status = std::clamp(std::atoi(t.Get("code").c_str()), 200, 599);
            answer.body = "<html><body><h1>" + std::to_string(answer.status) + "</h1></body></html>\n";
            if (t.Has("retry")) res.set_header("Retry-After", t.Get("retry"));
        } else if (t.path.starts_with("/test/redirect/")) {
            // N hops, then a body. The statuses go round the five that are followed, and the
            // addresses round the forms a Location takes: whole, from the root, relative.
            static const int kStatuses[] = {302, 301, 303, 307, 308};
            const long hops = std::clamp(std::strtol(t.path.c_str() + 15, nullptr, 10), 0L, 1000L);
            const auto question = target.find('?');
            const std::string query = question == std::string::npos ? "" : target.substr(question);
            if (hops == 0) {
                answer.body = "end of the redirect chain\n";
                answer.contentType = "text/plain";
            } else {
                const std::string next = std::to_string(hops - 1) + query;
                std::string location;
                if (hops % 3 == 0)
                    location = "http://" + req.get_header_value("Host") + prefixes + "/test/redirect/" + next;
                else if (hops % 3 == 1)
                    location = prefixes + "/test/redirect/" + next;
                else
                    location = next;
                int status = kStatuses[hops % 5];
                if (t.Has("code")) status = std::clamp(std::atoi(t.Get("code").c_str()), 300, 399);
                redirect(status, location);
            }
        } else if (t.path == "/test/redirect-to") {
            redirect(t.Has("code") ? std::clamp(std::atoi(t.Get("code").c_str()), 300, 399) : 302, t.Get("url"));
        } else if (moved != nullptr) {
            std::string location = prefixes + "/quote/" + CurrentCode(*moved);
            if (!siteKey.empty()) location += "?" + siteKey;
            redirect(301, location);
        } else if (t.path == "/test/slow") {
            answer.body = Blob(std::min<std::size_t>(std::strtoull(t.Get("bytes").c_str(), nullptr, 10), kLargestBlob));
            answer.contentType = "text/plain";
            answer.slow = true;
            if (t.Has("chunk")) answer.slowChunk = std::strtoull(t.Get("chunk").c_str(), nullptr, 10);
            if (t.Has("ms")) answer.slowMs = std::clamp(std::atoi(t.Get("ms").c_str()), 0, 10000);
        } else if (!options_.fixturesDir.empty()) {
            std::string file;
            if (auto it = impl_->fixtureMap.find(target); it != impl_->fixtureMap.end()) {
                file = it->second;
            } else {
                for (const auto& [pattern, name] : impl_->fixtureMap)
                    if (pattern.ends_with("*") && target.starts_with(pattern.substr(0, pattern.size() - 1)))
                        file = name;
            }
            bool found = false;
            if (!file.empty() && SafeRelative(file)) answer.body = ReadFile(options_.fixturesDir + "/" + file, found);
            if (!found) {
                file = FixtureName(target);
                answer.body = ReadFile(options_.fixturesDir + "/" + file, found);
            }
            if (!found) {
                file = PercentDecode(t.path, false);
                if (file.ends_with("/")) file += "index.html";
                if (SafeRelative(file)) answer.body = ReadFile(options_.fixturesDir + file, found);
            }
            if (found) {
                answer.contentType = ContentTypeOf(file);
                answer.note += " " + file;
            } else {
                answer.status = 404;
                answer.body = "no recorded page for " + target + "\n";
                answer.contentType = "text/plain";
            }
        } else if (t.path.starts_with("/quote/") && site == Site::Current) {
            std::string code = PercentDecode(t.path.substr(7), false);
            if (code.ends_with("=FX")) code.erase(code.size() - 2, 1);
            const Instrument* instrument = code.empty() ? nullptr : market_.Find(code);
            if (instrument == nullptr) {
                notFound();
            } else {
                // Today's site speaks UTF-8 only, whatever the request asks for.
                encoding = Encoding::Utf8;
                html(CurrentQuotePage(market_.Step(*instrument), context));
            }
        } else if (t.path == "/stocks/detail/" || t.path == "/stocks/detail") {
            const Instrument* instrument = market_.Find(t.Get("code"));
            if (instrument == nullptr)
                notFound();
            else
                html(DetailPage(market_.Step(*instrument), context));
        } else if (t.path == "/q") {
            const Instrument* instrument = market_.Find(t.Get("s"));
            if (instrument == nullptr)
                notFound();
            else
                html(OldQuotePage(market_.Step(*instrument), context));
        } else if (t.path == "/bbs") {
            const Instrument* instrument = market_.Find(t.Get("board"));
            if (instrument == nullptr)
                notFound();
            else
                html(BoardPage(market_.StepBoardNews(*instrument), context));
        } else if (t.path == "/news") {
            const Instrument* instrument = market_.Find(t.Get("s"));
            if (instrument == nullptr)
                notFound();
            else
                html(NewsPage(market_.StepBoardNews(*instrument), context));
        } else if (t.path == "/stocks/search/" || t.path == "/stocks/search") {
            // The first request names no page; "p" counts the pages after it (p=1 is the second).
            const std::string keyword = t.Get("s");
            const long page = t.Has("p") ? std::max(0L, std::strtol(t.Get("p").c_str(), nullptr, 10)) : 0L;
            std::vector<SearchHit> hits;
            std::size_t total = 0;
            const std::size_t from = static_cast<std::size_t>(std::min(page, 1000000L)) * kPerSearchPage;
            if (keyword == "全銘柄") {
                // Every code from 1000 to 9999: a search that runs over many pages.
                total = 9000;
                for (std::size_t i = from; i < total && hits.size() < kPerSearchPage; ++i) {
                    const Instrument* in = market_.Find(std::to_string(1000 + i));
                    if (in != nullptr) hits.push_back({in, market_.Peek(*in).price});
                }
            } else if (!keyword.empty()) {
                std::vector<const Instrument*> all;
                const std::string lowerKeyword = Lower(keyword);
                for (const auto& in : market_.BuiltIn())
                    if (in->name.find(keyword) != std::string::npos || Lower(in->symbol).starts_with(lowerKeyword))
                        all.push_back(in.get());
                // Then the codes outside the table whose made-up names hold the keyword.
                for (std::uint32_t code = 1000; code <= 9999; ++code) {
                    if (MadeUpName(code).find(keyword) == std::string::npos) continue;
                    const Instrument* in = market_.Find(std::to_string(code));
                    if (in != nullptr && !in->builtIn) all.push_back(in);
                }
                if (all.empty())
                    if (const Instrument* in = market_.Find(keyword); in != nullptr && !in->builtIn) all.push_back(in);
                total = all.size();
                for (std::size_t i = from; i < total && hits.size() < kPerSearchPage; ++i)
                    hits.push_back({all[i], market_.Peek(*all[i]).price});
            }
            html(SearchPage(keyword, hits, static_cast<int>(page), total, kPerSearchPage, context));
        } else if (t.path == "/quotrix/release.txt") {
            std::uint32_t major = options_.releaseMajor, minor = options_.releaseMinor;
            if (t.Has("v")) std::sscanf(t.Get("v").c_str(), "%u.%u", &major, &minor);
            answer.body = ReleaseFile(major, minor);
            answer.contentType = "text/plain; charset=Shift_JIS";
        } else if (t.path == "/" || t.path == "/index.html") {
            std::string list = "<!DOCTYPE html>\n<html lang=\"ja\"><head><meta charset=\"" +
                               std::string(CharsetName(encoding)) +
                               "\"><title>quote-server</title></head><body>\n<h1>quote-server</h1>\n<ul>\n";
            for (const auto& in : market_.BuiltIn()) {
                std::string code = in->symbol;
                if (in->market != 0) code += std::string(".") + static_cast<char>(in->market - 'a' + 'A');
                list += "<li><a href=\"/stocks/detail/?code=" + code + "\">" + code + "</a> " + in->name + "</li>\n";
            }
            list += "</ul>\n</body></html>\n";
            html(list);
        } else {
            notFound();
        }

        const std::size_t bytes = answer.body.size();
        const int status = answer.status;
        std::string note = answer.note;
        Deliver(res, std::move(answer));
        if (options_.log) {
            const auto ms =
                std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - started)
                    .count();
            char line[160];
            std::snprintf(line, sizeof line, " %d %zu bytes %lld ms %s", status, bytes, static_cast<long long>(ms),
                          EncodingName(encoding));
            options_.log(LogStamp() + " " + req.remote_addr + " " + req.method + " " + req.target + line + note);
        }
    });

    if (options_.port == 0) {
        port_ = server.bind_to_any_port("127.0.0.1");
        if (port_ <= 0) return false;
    } else {
        if (!server.bind_to_port("127.0.0.1", options_.port)) return false;
        port_ = options_.port;
    }
    thread_ = std::thread([&server] { server.listen_after_bind(); });
    // A stop() that comes before the server runs is lost, and the accept loop would then never
    // end: a server stopped without having served anything would hang its owner.
    for (int waited = 0; waited < 2000 && !server.is_running(); ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return true;
}

void QuoteServer::Stop() {
    if (!thread_.joinable()) return;
    impl_->server.stop();
    thread_.join();
}

}  // namespace quotesrv
