// WinINet behind the HTTP transport interface.
#include <windows.h>
#include <wininet.h>

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
    WinInetConnection(std::shared_ptr<WinInetSession> session, HINTERNET handle, bool secure)
        : session_(std::move(session)), handle_(std::make_shared<ConnectionHandle>(handle)), secure_(secure) {}
    std::uintptr_t Handle() const override { return Id(handle_->handle); }
    std::unique_ptr<HttpRequest> OpenRequest(const std::string& object, bool http10) override;

  private:
    std::shared_ptr<WinInetSession> session_;
    std::shared_ptr<ConnectionHandle> handle_;
    bool secure_;
};

class WinInetRequest : public HttpRequest {
  public:
    WinInetRequest(std::shared_ptr<WinInetSession> session, std::shared_ptr<ConnectionHandle> connection,
                   HINTERNET handle)
        : session_(std::move(session)), connection_(std::move(connection)), handle_(handle) {}
    ~WinInetRequest() override { CloseKeepingError(handle_); }
    std::uintptr_t Handle() const override { return Id(handle_); }

    bool Send() override { return HttpSendRequestW(handle_, nullptr, 0, nullptr, 0) != FALSE; }

    bool QueryStatus(std::uint32_t& status) override {
        DWORD value = 0;
        DWORD size = sizeof value;
        if (!HttpQueryInfoW(handle_, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &value, &size, nullptr))
            return false;
        status = value;
        return true;
    }

    bool QueryDataAvailable(std::uint32_t& bytes) override {
        DWORD value = 0;
        if (!InternetQueryDataAvailable(handle_, &value, 0, 0)) return false;
        bytes = value;
        return true;
    }

    bool Read(char* buffer, std::uint32_t size, std::uint32_t& read) override {
        DWORD got = 0;
        const BOOL ok = InternetReadFile(handle_, buffer, size, &got);
        read = got;
        return ok != FALSE;
    }

    bool SetProxyUserName(std::string_view user) override { return SetText(INTERNET_OPTION_PROXY_USERNAME, user); }
    bool SetProxyPassword(std::string_view password) override {
        return SetText(INTERNET_OPTION_PROXY_PASSWORD, password);
    }

  private:
    bool SetText(DWORD option, std::string_view text) {
        std::wstring wide = Wide(text);
        return InternetSetOptionW(handle_, option, wide.data(), static_cast<DWORD>(wide.size())) != FALSE;
    }

    std::shared_ptr<WinInetSession> session_;
    std::shared_ptr<ConnectionHandle> connection_;
    HINTERNET handle_;
};

std::unique_ptr<HttpConnection> WinInetSession::Connect(const std::string& host, std::uint16_t port, bool secure) {
    HINTERNET connection =
        InternetConnectW(handle_, Wide(host).c_str(), port, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    if (connection == nullptr) return nullptr;
    SetTimeouts(connection, options_);
    return std::make_unique<WinInetConnection>(shared_from_this(), connection, secure);
}

std::unique_ptr<HttpRequest> WinInetConnection::OpenRequest(const std::string& object, bool http10) {
    DWORD flags = INTERNET_FLAG_RELOAD;
    if (secure_) flags |= INTERNET_FLAG_SECURE;
    HINTERNET request = HttpOpenRequestW(handle_->handle, L"GET", Wide(object).c_str(),
                                         http10 ? L"HTTP/1.0" : L"HTTP/1.1", nullptr, nullptr, flags, 0);
    if (request == nullptr) return nullptr;
    SetTimeouts(request, session_->Options());
    return std::make_unique<WinInetRequest>(session_, handle_, request);
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

}  // namespace quotrix
