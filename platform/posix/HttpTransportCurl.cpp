// libcurl behind the HTTP transport interface.
//
// WinINet hands the body out by pulling (ask what is available, read); libcurl pushes it into a
// callback. Each request therefore drives its own multi handle and runs the transfer only while
// the reader waits for bytes, so at most one network read is buffered at a time; while a read
// waits, the callback writes straight into the reader's buffer, and what came before it (the
// first piece arrives with the headers) is handed over whole when it can be. Easy and multi
// handles are kept in the session and reused, so that kept-alive connections (they live in the
// multi handle's cache) carry the next request; an easy handle keeps its options for the next
// request of the same kind, which then only sets its address.
#include <curl/curl.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <new>
#include <optional>
#include <vector>

#include "platform/HttpTransport.h"

namespace quotrix {

namespace {

using Clock = std::chrono::steady_clock;

thread_local unsigned long t_lastError = 0;

void SetError(unsigned long error) {
    // The one failure both layers name alike in the logs.
    t_lastError = error == CURLE_TOO_MANY_REDIRECTS ? kTooManyRedirectsError : error;
}

// A Location that libcurl follows: header names are case-insensitive, and an empty value names
// no place to go.
bool IsLocationHeader(std::string_view line) {
    constexpr std::string_view kName = "location:";
    if (line.size() <= kName.size()) return false;
    for (std::size_t i = 0; i < kName.size(); ++i) {
        char c = line[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != kName[i]) return false;
    }
    return line.substr(kName.size()).find_first_not_of(" \t\r\n") != std::string_view::npos;
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

std::string Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t\r\n");
    return std::string(text.substr(first, last - first + 1));
}

bool GlobalInit() {
    static const bool ok = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return ok;
}

struct Handles {
    CURLM* multi = nullptr;
    CURL* easy = nullptr;
    // What the options on `easy` were set for; empty when they must be set from scratch.
    std::string kind;
    bool dirty = false;  // options have been set on `easy` since it was made or reset
};

class CurlSession : public HttpSession, public std::enable_shared_from_this<CurlSession> {
  public:
    explicit CurlSession(const HttpSessionOptions& options) : options_(options) {
        // With no proxy in the environment, saying so once spares libcurl looking it up there
        // for every request; with one, libcurl reads it as it always does.
        environmentProxy_ = false;
        for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
            if (std::getenv(name) != nullptr) environmentProxy_ = true;
        // What WinINet's reload flag amounts to on the wire: no cache on the way may answer.
        // Shared by every request of the session and never changed, so kept handles may point at it.
        headers_ = curl_slist_append(headers_, "Pragma: no-cache");
        if (headers_) {
            curl_slist* more = curl_slist_append(headers_, "Cache-Control: no-cache");
            if (more) {
                headers_ = more;
            } else {
                curl_slist_free_all(headers_);
                headers_ = nullptr;
            }
        }
    }
    ~CurlSession() override {
        for (Handles& h : idle_) Destroy(h);
        if (headers_) curl_slist_free_all(headers_);
    }
    bool Ready() const { return headers_ != nullptr; }
    bool EnvironmentProxy() const { return environmentProxy_; }
    curl_slist* Headers() const { return headers_; }

    std::uintptr_t Handle() const override { return reinterpret_cast<std::uintptr_t>(this); }
    std::unique_ptr<HttpConnection> Connect(const std::string& host, std::uint16_t port, bool secure) override;

    const HttpSessionOptions& Options() const { return options_; }

    bool Take(Handles& handles) {
        {
            std::lock_guard lock(poolLock_);
            if (!idle_.empty()) {
                handles = std::move(idle_.back());
                idle_.pop_back();
                return true;
            }
        }
        handles.multi = curl_multi_init();
        handles.easy = curl_easy_init();
        handles.kind.clear();
        handles.dirty = false;
        if (handles.multi && handles.easy) return true;
        Destroy(handles);
        return false;
    }

    void Give(Handles handles) {
        std::lock_guard lock(poolLock_);
        if (idle_.size() < kIdleLimit)
            idle_.push_back(std::move(handles));
        else
            Destroy(handles);
    }

  private:
    static constexpr std::size_t kIdleLimit = 32;

    static void Destroy(Handles& h) {
        if (h.easy) curl_easy_cleanup(h.easy);
        if (h.multi) curl_multi_cleanup(h.multi);
        h = Handles();
    }

    HttpSessionOptions options_;
    bool environmentProxy_ = true;
    curl_slist* headers_ = nullptr;
    std::mutex poolLock_;
    std::vector<Handles> idle_;
};

class CurlRequest : public HttpRequest {
  public:
    CurlRequest(std::shared_ptr<CurlSession> session, std::string url, bool secure, bool http10)
        : session_(std::move(session)), url_(std::move(url)), secure_(secure), http10_(http10) {}

    ~CurlRequest() override {
        Detach();
        if (handles_.easy) session_->Give(std::move(handles_));
    }

    std::uintptr_t Handle() const override { return reinterpret_cast<std::uintptr_t>(this); }

    bool Send() override {
        Detach();
        if (!handles_.easy && !session_->Take(handles_)) {
            SetError(CURLE_OUT_OF_MEMORY);
            return false;
        }
        if (!Prepare()) return false;
        if (curl_multi_add_handle(handles_.multi, handles_.easy) != CURLM_OK) {
            SetError(CURLE_FAILED_INIT);
            return false;
        }
        attached_ = true;
        lastByteAt_ = Clock::now();
        if (!Pump([this] { return headersDone_; })) return false;
        return headersDone_;
    }

    bool QueryStatus(std::uint32_t& status) override {
        if (status_ == 0) {
            SetError(done_ ? result_ : CURLE_GOT_NOTHING);
            return false;
        }
        status = status_;
        return true;
    }

    bool QueryHeader(std::string_view name, std::string& value) override {
        value.clear();
        if (!headersDone_) return false;
        for (const auto& [key, text] : finalHeaders_) {
            if (!SameName(key, name)) continue;
            value = text;
            return true;
        }
        return false;
    }

    bool QueryDataAvailable(std::uint32_t& bytes) override {
        bytes = 0;
        if (!attached_ && !done_) {
            SetError(CURLE_SEND_ERROR);
            return false;
        }
        Pump([this] { return Pending() > 0; });
        if (Pending() == 0 && done_ && result_ != CURLE_OK) {
            SetError(result_);
            return false;
        }
        bytes = static_cast<std::uint32_t>(std::min<std::size_t>(Pending(), 0xFFFFFFFFu));
        return true;
    }

    bool Read(char* buffer, std::uint32_t size, std::uint32_t& read) override {
        read = 0;
        if (!attached_ && !done_) {
            SetError(CURLE_SEND_ERROR);
            return false;
        }
        Pump([this] { return Pending() > 0; });
        if (Pending() == 0) return EndOfBody();
        const std::size_t n = std::min<std::size_t>(Pending(), size);
        std::copy_n(body_.data() + readAt_, n, buffer);
        Consumed(n);
        read = static_cast<std::uint32_t>(n);
        return true;
    }

    bool ReadAppend(std::string& body, std::uint32_t limit, std::uint32_t& read) override {
        read = 0;
        if (!attached_ && !done_) {
            SetError(CURLE_SEND_ERROR);
            return false;
        }
        if (Pending() == 0 && limit > 0) {
            // Nothing has come yet: what comes now goes straight into the caller's string.
            target_ = &body;
            targetLimit_ = limit;
            targetGot_ = 0;
            Pump([this] { return targetGot_ > 0 || Pending() > 0; });
            target_ = nullptr;
            if (targetGot_ > 0) {
                read = targetGot_;
                return true;
            }
        }
        if (Pending() == 0) return EndOfBody();
        const std::size_t n = std::min<std::size_t>(Pending(), limit);
        if (body.empty() && readAt_ == 0 && n == body_.size()) {
            // The first piece, received with the headers: the buffer changes hands.
            body.swap(body_);
            body_.clear();
        } else {
            body.append(body_, readAt_, n);
            Consumed(n);
        }
        read = static_cast<std::uint32_t>(n);
        return true;
    }

    bool SetProxyUserName(std::string_view user) override {
        proxyUser_.assign(user);
        hasCredentials_ = true;
        return true;
    }

    bool SetProxyPassword(std::string_view password) override {
        proxyPassword_.assign(password);
        hasCredentials_ = true;
        return true;
    }

  private:
    std::size_t Pending() const { return body_.size() - readAt_; }
    // Nothing is buffered and nothing more comes: the body's end, or the failure that ended it.
    bool EndOfBody() {
        if (done_ && result_ != CURLE_OK) {
            SetError(result_);
            return false;
        }
        return true;
    }
    // `n` buffered bytes have been handed out.
    void Consumed(std::size_t n) {
        readAt_ += n;
        if (readAt_ == body_.size()) {
            body_.clear();
            readAt_ = 0;
        }
    }

    // What decides the options set on a handle besides the address; empty when this request's
    // options must not be kept for another (proxy credentials stay with their own request).
    std::string Kind() const {
        if (hasCredentials_) return {};
        std::string kind = http10_ ? "1.0 " : "1.1 ";
        kind += secure_ ? "s " : "- ";
        kind += session_->Options().proxyList;
        return kind;
    }

    bool Prepare() {
        CURL* e = handles_.easy;
        const HttpSessionOptions& o = session_->Options();
        status_ = 0;
        headersDone_ = done_ = false;
        blockStatus_ = 0;
        blockHasLocation_ = false;
        blockHeaders_.clear();
        finalHeaders_.clear();
        result_ = CURLE_OK;
        requestOut_ = false;
        connectedAt_.reset();
        body_.clear();
        readAt_ = 0;
        sized_ = false;
        target_ = nullptr;
        bytesCame_ = false;
        std::string kind = Kind();
        const bool keep = !kind.empty() && kind == handles_.kind;
        // Options of another kind (or credentials) on a used handle: from scratch.
        if (!keep && handles_.dirty) curl_easy_reset(e);
        handles_.kind.clear();
        const bool ok = curl_easy_setopt(e, CURLOPT_URL, url_.c_str()) == CURLE_OK;
        // The callbacks' data: this request object.
        curl_easy_setopt(e, CURLOPT_WRITEDATA, this);
        curl_easy_setopt(e, CURLOPT_HEADERDATA, this);
        curl_easy_setopt(e, CURLOPT_PREREQDATA, this);
        if (!ok) {
            SetError(CURLE_URL_MALFORMAT);
            return false;
        }
        if (keep) {
            handles_.kind = std::move(kind);
            return true;
        }
        handles_.dirty = true;
        // Nothing is kept on disk either (as WinINet's no-cache-write flag asks of Windows): no
        // cookie jar, HSTS or alt-svc file is ever set on these handles.
        curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(e, CURLOPT_MAXREDIRS, static_cast<long>(kMaxRedirects));
        curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(e, CURLOPT_HTTP_VERSION, http10_ ? CURL_HTTP_VERSION_1_0 : CURL_HTTP_VERSION_1_1);
        curl_easy_setopt(e, CURLOPT_USERAGENT, o.userAgent.c_str());
        curl_easy_setopt(e, CURLOPT_HTTPHEADER, session_->Headers());
        if (o.connectTimeoutMs > 0) curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, long(o.connectTimeoutMs));
        if (!o.proxyList.empty()) {
            // A list that names no proxy for this scheme means a direct connection, not the
            // environment's proxy.
            proxy_ = ProxyForScheme(o.proxyList, secure_ ? "https" : "http");
            curl_easy_setopt(e, CURLOPT_PROXY, proxy_.c_str());
        } else if (!session_->EnvironmentProxy()) {
            curl_easy_setopt(e, CURLOPT_PROXY, "");
        }
        if (hasCredentials_) {
            curl_easy_setopt(e, CURLOPT_PROXYUSERNAME, proxyUser_.c_str());
            curl_easy_setopt(e, CURLOPT_PROXYPASSWORD, proxyPassword_.c_str());
            // Sent with the request itself, as WinINet does once the credentials are set.
            curl_easy_setopt(e, CURLOPT_PROXYAUTH, CURLAUTH_BASIC);
        }
        // A page of today's site is some 160 KB: read from the socket in a few large pieces rather
        // than in libcurl's 16 KB ones, each a trip through the poll, the callbacks and a read.
        curl_easy_setopt(e, CURLOPT_BUFFERSIZE, kReceiveBuffer);
        curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &CurlRequest::OnBody);
        curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &CurlRequest::OnHeader);
        // The first of the two moments the send time-out lies between: connected. The second,
        // the request written, is seen in the request's size (CheckRequestOut).
        curl_easy_setopt(e, CURLOPT_PREREQFUNCTION, &CurlRequest::OnConnected);
        handles_.kind = std::move(kind);
        return true;
    }

    void Detach() {
        if (attached_) curl_multi_remove_handle(handles_.multi, handles_.easy);
        attached_ = false;
    }

    void Finish(CURLcode result) {
        done_ = true;
        result_ = result;
        Detach();
    }

    // Runs the transfer until `ready` holds or it has ended; false when it ended in a failure
    // or a time-out before `ready` held.
    template <typename Ready>
    bool Pump(Ready ready) {
        const HttpSessionOptions& o = session_->Options();
        while (!ready()) {
            if (done_) return false;
            int running = 0;
            if (curl_multi_perform(handles_.multi, &running) != CURLM_OK) {
                Finish(CURLE_RECV_ERROR);
                break;
            }
            if (bytesCame_) {
                // Stamped once per turn rather than in every callback.
                bytesCame_ = false;
                lastByteAt_ = Clock::now();
            }
            if (connectedAt_ && !requestOut_) CheckRequestOut();
            int queued = 0;
            while (CURLMsg* message = curl_multi_info_read(handles_.multi, &queued))
                if (message->msg == CURLMSG_DONE && message->easy_handle == handles_.easy) Finish(message->data.result);
            if (done_) {
                // The last header block may end with the transfer (a body-less answer).
                if (blockStatus_ != 0 && !headersDone_) EndHeaderBlock();
                break;
            }
            if (ready()) break;

            const auto now = Clock::now();
            auto since = [now](Clock::time_point t) {
                return static_cast<std::uint64_t>(
                    std::chrono::duration_cast<std::chrono::milliseconds>(now - t).count());
            };
            if (connectedAt_ && !requestOut_ && o.sendTimeoutMs > 0 && since(*connectedAt_) > o.sendTimeoutMs) {
                Finish(CURLE_OPERATION_TIMEDOUT);
                break;
            }
            if (requestOut_ && o.receiveTimeoutMs > 0 && since(lastByteAt_) > o.receiveTimeoutMs) {
                Finish(CURLE_OPERATION_TIMEDOUT);
                break;
            }
            curl_multi_poll(handles_.multi, nullptr, 0, 50, nullptr);
        }
        if (!ready()) {
            if (done_ && result_ != CURLE_OK) SetError(result_);
            return false;
        }
        return true;
    }

    void EndHeaderBlock() {
        // A redirect that libcurl follows is not the answer; neither is an interim 1xx.
        const bool followed = blockHasLocation_ && IsFollowedRedirect(blockStatus_);
        if (blockStatus_ >= 200 && !followed) {
            status_ = blockStatus_;
            headersDone_ = true;
            finalHeaders_ = std::move(blockHeaders_);
        }
        blockHeaders_.clear();
    }

    static size_t OnBody(char* data, size_t size, size_t count, void* self) {
        auto* r = static_cast<CurlRequest*>(self);
        const size_t n = size * count;
        if (!r->headersDone_ && r->blockStatus_ != 0) r->EndHeaderBlock();
        r->bytesCame_ = true;
        size_t taken = 0;
        if (r->target_ != nullptr) {
            // A reader waits: its string takes what it asked for, and only the rest is kept here.
            taken = std::min<size_t>(n, r->targetLimit_ - r->targetGot_);
            try {
                r->target_->append(data, taken);
            } catch (const std::bad_alloc&) {
                return 0;  // libcurl ends the transfer with a write error
            }
            r->targetGot_ += static_cast<std::uint32_t>(taken);
            if (taken == n) return n;
        }
        try {
            if (!r->sized_) {
                // Room for the whole announced body at once: grown step by step, a 160 KB page
                // went through five buffers, each one fresh pages from the system.
                r->sized_ = true;
                curl_off_t length = -1;
                if (curl_easy_getinfo(r->handles_.easy, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK &&
                    length > 0)
                    r->body_.reserve(static_cast<std::size_t>(std::min<curl_off_t>(length, kReserveLimit)));
            }
            r->body_.append(data + taken, n - taken);
        } catch (const std::bad_alloc&) {
            return 0;
        }
        return n;
    }

    static size_t OnHeader(char* data, size_t size, size_t count, void* self) {
        auto* r = static_cast<CurlRequest*>(self);
        const size_t n = size * count;
        const std::string_view line(data, n);
        r->requestOut_ = true;
        r->bytesCame_ = true;
        if (line.starts_with("HTTP/")) {
            const auto blank = line.find(' ');
            unsigned status = 0;
            for (size_t i = blank == std::string_view::npos ? line.size() : blank + 1;
                 i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i)
                status = status * 10 + static_cast<unsigned>(line[i] - '0');
            r->blockStatus_ = status;
            r->blockHasLocation_ = false;
            r->blockHeaders_.clear();
        } else if (line == "\r\n" || line == "\n") {
            r->EndHeaderBlock();
        } else {
            if (IsLocationHeader(line)) r->blockHasLocation_ = true;
            const auto colon = line.find(':');
            // A server that sends thousands of headers gets the first few kept.
            if (colon != std::string_view::npos && r->blockHeaders_.size() < 256)
                r->blockHeaders_.emplace_back(std::string(line.substr(0, colon)), Trim(line.substr(colon + 1)));
        }
        return n;
    }

    static int OnConnected(void* self, char*, char*, int, int) {
        auto* r = static_cast<CurlRequest*>(self);
        r->connectedAt_ = Clock::now();
        return CURL_PREREQFUNC_OK;
    }

    // libcurl counts the request's bytes as it writes them, so a size above zero means the
    // request has gone out (asked after each turn of the transfer; the answer's first header
    // says so too). Its verbose mode would tell the moment, at the price of formatting every
    // info line of every request.
    void CheckRequestOut() {
        long size = 0;
        if (curl_easy_getinfo(handles_.easy, CURLINFO_REQUEST_SIZE, &size) == CURLE_OK && size > 0) {
            requestOut_ = true;
            lastByteAt_ = Clock::now();
        }
    }

    std::shared_ptr<CurlSession> session_;
    std::string url_;
    bool secure_;
    bool http10_;
    Handles handles_;
    std::string proxy_;
    std::string proxyUser_;
    std::string proxyPassword_;
    bool hasCredentials_ = false;

    bool attached_ = false;
    bool done_ = false;
    CURLcode result_ = CURLE_OK;
    bool headersDone_ = false;
    std::uint32_t status_ = 0;
    unsigned blockStatus_ = 0;
    bool blockHasLocation_ = false;
    std::vector<std::pair<std::string, std::string>> blockHeaders_;
    std::vector<std::pair<std::string, std::string>> finalHeaders_;
    bool requestOut_ = false;
    std::optional<Clock::time_point> connectedAt_;
    Clock::time_point lastByteAt_;
    bool bytesCame_ = false;  // a callback had bytes in this turn of the transfer
    std::string body_;
    std::size_t readAt_ = 0;
    // The string of a ReadAppend that waits for bytes, the most it takes, and what it has got.
    std::string* target_ = nullptr;
    std::uint32_t targetLimit_ = 0;
    std::uint32_t targetGot_ = 0;
    bool sized_ = false;  // body_ has been given room for the announced length
    // An announced length is believed only this far: the reader stops at its own limit anyway.
    static constexpr curl_off_t kReserveLimit = 16 << 20;
    static constexpr long kReceiveBuffer = 128 * 1024;
};

class CurlConnection : public HttpConnection {
  public:
    CurlConnection(std::shared_ptr<CurlSession> session, std::string host, std::uint16_t port, bool secure)
        : session_(std::move(session)), host_(std::move(host)), port_(port), secure_(secure) {}

    std::uintptr_t Handle() const override { return reinterpret_cast<std::uintptr_t>(this); }

    std::unique_ptr<HttpRequest> OpenRequest(const std::string& object, bool http10) override {
        const bool ipv6 = host_.find(':') != std::string::npos;
        std::string url = secure_ ? "https://" : "http://";
        url += ipv6 ? "[" + host_ + "]" : host_;
        url += ":" + std::to_string(port_);
        url += object.empty() || object.front() != '/' ? "/" + object : object;
        return std::make_unique<CurlRequest>(session_, std::move(url), secure_, http10);
    }

  private:
    std::shared_ptr<CurlSession> session_;
    std::string host_;
    std::uint16_t port_;
    bool secure_;
};

std::unique_ptr<HttpConnection> CurlSession::Connect(const std::string& host, std::uint16_t port, bool secure) {
    if (host.empty() || port == 0) {
        SetError(CURLE_URL_MALFORMAT);
        return nullptr;
    }
    return std::make_unique<CurlConnection>(shared_from_this(), host, port, secure);
}

}  // namespace

std::shared_ptr<HttpSession> OpenHttpSession(const HttpSessionOptions& options) {
    if (!GlobalInit()) {
        SetError(CURLE_FAILED_INIT);
        return nullptr;
    }
    auto session = std::make_shared<CurlSession>(options);
    if (!session->Ready()) {
        SetError(CURLE_OUT_OF_MEMORY);
        return nullptr;
    }
    return session;
}

unsigned long LastHttpError() { return t_lastError; }

bool IsHostFailure(unsigned long error) {
    switch (error) {
        case CURLE_COULDNT_RESOLVE_HOST:
        case CURLE_COULDNT_RESOLVE_PROXY:
        case CURLE_COULDNT_CONNECT:
        case CURLE_OPERATION_TIMEDOUT:
        case CURLE_GOT_NOTHING:
        case CURLE_SEND_ERROR:
        case CURLE_RECV_ERROR:
        case CURLE_PARTIAL_FILE:
        case CURLE_WEIRD_SERVER_REPLY:
        case CURLE_SSL_CONNECT_ERROR:
            return true;
        default:
            return false;
    }
}

}  // namespace quotrix
