// WinINet behind the HTTP transport interface.
#include <windows.h>
#include <wininet.h>

#include <algorithm>

#include "platform/HttpTransport.h"
#include "platform/win32/WinText.h"

namespace quotrix {

namespace {

std::uintptr_t Id(HINTERNET handle) { return reinterpret_cast<std::uintptr_t>(handle); }

// Closing a handle must not clobber the error a failed call left for the caller to log.
void CloseKeepingError(HINTERNET handle) {
    if (handle == nullptr) return;
    const DWORD error = GetLastError();
    InternetCloseHandle(handle);
    SetLastError(error);
}

void SetTimeout(HINTERNET handle, DWORD option, std::uint32_t ms) {
    if (ms == 0) return;
    DWORD value = ms;
    InternetSetOptionW(handle, option, &value, sizeof value);
}

// Windows hands the session's time-outs down to its connections and requests; Wine does so only
// for the connect time-out. Setting them on each handle again gives both the same behaviour.
void SetTimeouts(HINTERNET handle, const HttpSessionOptions& options) {
    SetTimeout(handle, INTERNET_OPTION_CONNECT_TIMEOUT, options.connectTimeoutMs);
    SetTimeout(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, options.receiveTimeoutMs);
    SetTimeout(handle, INTERNET_OPTION_SEND_TIMEOUT, options.sendTimeoutMs);
}

class WinInetSession : public HttpSession, public std::enable_shared_from_this<WinInetSession> {
  public:
    WinInetSession(HINTERNET handle, const HttpSessionOptions& options) : handle_(handle), options_(options) {}
    ~WinInetSession() override { CloseKeepingError(handle_); }
    std::uintptr_t Handle() const override { return Id(handle_); }
    std::unique_ptr<HttpConnection> Connect(const std::string& host, std::uint16_t port, bool secure) override;
    // A connection handle of the session's own, with its time-outs; none on failure.
    HINTERNET OpenConnection(const std::string& host, std::uint16_t port);

    const HttpSessionOptions& Options() const { return options_; }

  private:
    HINTERNET handle_;
    HttpSessionOptions options_;
};

// A connection handle, shared by the connection object and its requests: WinINet closes the
// requests under a connection handle when that is closed.
struct ConnectionHandle {
    explicit ConnectionHandle(HINTERNET h) : handle(h) {}
    ~ConnectionHandle() { CloseKeepingError(handle); }
    HINTERNET handle;
};

class WinInetConnection : public HttpConnection {
  public:
    WinInetConnection(std::shared_ptr<WinInetSession> session, HINTERNET handle, std::string host, std::uint16_t port,
                      bool secure)
        : session_(std::move(session)),
          handle_(std::make_shared<ConnectionHandle>(handle)),
          host_(std::move(host)),
          port_(port),
          secure_(secure) {}
    std::uintptr_t Handle() const override { return Id(handle_->handle); }
    std::unique_ptr<HttpRequest> OpenRequest(const std::string& object, bool http10) override;

  private:
    std::shared_ptr<WinInetSession> session_;
    std::shared_ptr<ConnectionHandle> handle_;
    std::string host_;
    std::uint16_t port_;
    bool secure_;
};

HINTERNET OpenRequestHandle(HINTERNET connection, const HttpTarget& target, bool http10,
                            const HttpSessionOptions& options) {
    // Redirects are followed by hand: WinINet's own following knows no hop limit of ours and
    // refuses a move from http to https. Nothing fetched goes into the user's Internet cache:
    // RELOAD alone still writes every page there, thousands a day, pushing the browser's own
    // files out.
    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_AUTO_REDIRECT;
    if (target.secure) flags |= INTERNET_FLAG_SECURE;
    HINTERNET request = HttpOpenRequestW(connection, L"GET", Wide(target.object).c_str(),
                                         http10 ? L"HTTP/1.0" : L"HTTP/1.1", nullptr, nullptr, flags, 0);
    if (request != nullptr) SetTimeouts(request, options);
    return request;
}

class WinInetRequest : public HttpRequest {
  public:
    WinInetRequest(std::shared_ptr<WinInetSession> session, std::shared_ptr<ConnectionHandle> connection,
                   HINTERNET handle, HttpTarget target, bool http10)
        : session_(std::move(session)),
          connection_(std::move(connection)),
          handle_(handle),
          target_(std::move(target)),
          http10_(http10) {}
    ~WinInetRequest() override { CloseKeepingError(handle_); }
    std::uintptr_t Handle() const override { return Id(handle_); }

    bool Send() override {
        failure_ = 0;
        if (!HttpSendRequestW(handle_, nullptr, 0, nullptr, 0)) return false;
        for (int hops = 0;; ++hops) {
            DWORD status = 0;
            if (!StatusOf(handle_, status) || !IsFollowedRedirect(status)) return true;
            std::string location;
            // A redirect without a Location is the answer itself.
            if (!LocationOf(handle_, location)) return true;
            if (hops == kMaxRedirects) return Fail(kTooManyRedirectsError);
            HttpTarget next;
            if (!ResolveRedirect(target_, location, next)) return Fail(ERROR_INTERNET_INVALID_URL);
            if (!Follow(next)) return false;
        }
    }

    bool QueryStatus(std::uint32_t& status) override {
        if (failure_ != 0) return Fail(failure_);
        DWORD value = 0;
        if (!StatusOf(handle_, value)) return false;
        status = value;
        return true;
    }

    bool QueryHeader(std::string_view name, std::string& value) override {
        value.clear();
        if (failure_ != 0 || name.empty()) return false;
        // HTTP_QUERY_CUSTOM takes the header's name in the buffer and answers its value there.
        std::wstring text = Wide(name);
        text.resize(std::max<std::size_t>(text.size() + 1, 256), L'\0');
        DWORD size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        BOOL ok = HttpQueryInfoW(handle_, HTTP_QUERY_CUSTOM, text.data(), &size, nullptr);
        if (!ok && GetLastError() == ERROR_INSUFFICIENT_BUFFER && size < (64u << 10)) {
            std::wstring larger = Wide(name);
            larger.resize(size / sizeof(wchar_t) + 1, L'\0');
            text = std::move(larger);
            size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
            ok = HttpQueryInfoW(handle_, HTTP_QUERY_CUSTOM, text.data(), &size, nullptr);
        }
        if (!ok) return false;
        text.resize(size / sizeof(wchar_t));
        value = Narrow(text);
        const auto first = value.find_first_not_of(" \t");
        const auto last = value.find_last_not_of(" \t");
        value = first == std::string::npos ? std::string() : value.substr(first, last - first + 1);
        return true;
    }

    bool QueryDataAvailable(std::uint32_t& bytes) override {
        bytes = 0;
        if (failure_ != 0) return Fail(failure_);
        DWORD value = 0;
        if (!InternetQueryDataAvailable(handle_, &value, 0, 0)) return false;
        bytes = value;
        return true;
    }

    bool Read(char* buffer, std::uint32_t size, std::uint32_t& read) override {
        read = 0;
        if (failure_ != 0) return Fail(failure_);
        DWORD got = 0;
        const BOOL ok = InternetReadFile(handle_, buffer, size, &got);
        read = got;
        return ok != FALSE;
    }

    bool SetProxyUserName(std::string_view user) override {
        proxyUser_.assign(user);
        return SetText(handle_, INTERNET_OPTION_PROXY_USERNAME, user);
    }
    bool SetProxyPassword(std::string_view password) override {
        proxyPassword_.assign(password);
        return SetText(handle_, INTERNET_OPTION_PROXY_PASSWORD, password);
    }

  private:
    static bool SetText(HINTERNET handle, DWORD option, std::string_view text) {
        std::wstring wide = Wide(text);
        return InternetSetOptionW(handle, option, wide.data(), static_cast<DWORD>(wide.size())) != FALSE;
    }

    static bool StatusOf(HINTERNET handle, DWORD& status) {
        DWORD size = sizeof status;
        return HttpQueryInfoW(handle, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr) !=
               FALSE;
    }

    static bool LocationOf(HINTERNET handle, std::string& location) {
        std::wstring text(256, L'\0');
        DWORD size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
        BOOL ok = HttpQueryInfoW(handle, HTTP_QUERY_LOCATION, text.data(), &size, nullptr);
        if (!ok && GetLastError() == ERROR_INSUFFICIENT_BUFFER && size < (64u << 10)) {
            text.assign(size / sizeof(wchar_t) + 1, L'\0');
            size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
            ok = HttpQueryInfoW(handle, HTTP_QUERY_LOCATION, text.data(), &size, nullptr);
        }
        if (!ok) return false;
        text.resize(size / sizeof(wchar_t));
        // As a browser sends it: UTF-8, percent-encoded where a request line needs it.
        location =
            FromUtf16(CodePage::Utf8, std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
        return !location.empty();
    }

    // The request ends here: no status, no body, and `error` for the log.
    bool Fail(DWORD error) {
        failure_ = error;
        SetLastError(error);
        return false;
    }

    // Replaces the request (and, for another host, the connection) by one for `next`, and sends it.
    bool Follow(const HttpTarget& next) {
        const HttpSessionOptions& options = session_->Options();
        std::shared_ptr<ConnectionHandle> connection = connection_;
        if (next.host != target_.host || next.port != target_.port || next.secure != target_.secure) {
            HINTERNET opened = session_->OpenConnection(next.host, next.port);
            if (opened == nullptr) return Fail(GetLastError());
            connection = std::make_shared<ConnectionHandle>(opened);
        }
        HINTERNET request = OpenRequestHandle(connection->handle, next, http10_, options);
        if (request == nullptr) return Fail(GetLastError());
        CloseKeepingError(handle_);
        handle_ = request;
        connection_ = std::move(connection);
        target_ = next;
        if (!proxyUser_.empty() || !proxyPassword_.empty()) {
            SetText(handle_, INTERNET_OPTION_PROXY_USERNAME, proxyUser_);
            SetText(handle_, INTERNET_OPTION_PROXY_PASSWORD, proxyPassword_);
        }
        if (!HttpSendRequestW(handle_, nullptr, 0, nullptr, 0)) return Fail(GetLastError());
        return true;
    }

    std::shared_ptr<WinInetSession> session_;
    std::shared_ptr<ConnectionHandle> connection_;
    HINTERNET handle_;
    HttpTarget target_;
    bool http10_;
    DWORD failure_ = 0;
    std::string proxyUser_;
    std::string proxyPassword_;
};

HINTERNET WinInetSession::OpenConnection(const std::string& host, std::uint16_t port) {
    HINTERNET connection =
        InternetConnectW(handle_, Wide(host).c_str(), port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    if (connection != nullptr) SetTimeouts(connection, options_);
    return connection;
}

std::unique_ptr<HttpConnection> WinInetSession::Connect(const std::string& host, std::uint16_t port, bool secure) {
    HINTERNET connection = OpenConnection(host, port);
    if (connection == nullptr) return nullptr;
    return std::make_unique<WinInetConnection>(shared_from_this(), connection, host, port, secure);
}

std::unique_ptr<HttpRequest> WinInetConnection::OpenRequest(const std::string& object, bool http10) {
    HttpTarget target;
    target.host = host_;
    target.port = port_;
    target.secure = secure_;
    target.object = object.empty() || object.front() != '/' ? "/" + object : object;
    HINTERNET request = OpenRequestHandle(handle_->handle, target, http10, session_->Options());
    if (request == nullptr) return nullptr;
    return std::make_unique<WinInetRequest>(session_, handle_, request, std::move(target), http10);
}

}  // namespace

std::shared_ptr<HttpSession> OpenHttpSession(const HttpSessionOptions& options) {
    const std::wstring agent = Wide(options.userAgent);
    const std::wstring proxy = Wide(options.proxyList);
    HINTERNET handle = proxy.empty()
                           ? InternetOpenW(agent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0)
                           : InternetOpenW(agent.c_str(), INTERNET_OPEN_TYPE_PROXY, proxy.c_str(), nullptr, 0);
    if (handle == nullptr) return nullptr;
    SetTimeouts(handle, options);
    return std::make_shared<WinInetSession>(handle, options);
}

unsigned long LastHttpError() { return GetLastError(); }

bool IsHostFailure(unsigned long error) {
    switch (error) {
        case ERROR_INTERNET_TIMEOUT:
        case ERROR_INTERNET_NAME_NOT_RESOLVED:
        case ERROR_INTERNET_CANNOT_CONNECT:
        case ERROR_INTERNET_CONNECTION_ABORTED:
        case ERROR_INTERNET_CONNECTION_RESET:
        case ERROR_INTERNET_SECURITY_CHANNEL_ERROR:
        case ERROR_HTTP_INVALID_SERVER_RESPONSE:
            return true;
        default:
            return false;
    }
}

}  // namespace quotrix
