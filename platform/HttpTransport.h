// The HTTP layer under the Internet session: WinINet on Windows, libcurl on Linux.
//
// The operations mirror what the session logic needs of WinINet (open a session, connect to a
// host, open a GET request, send it, read the status, ask what is available, read). Handles
// close when their object is destroyed; a request keeps its connection and session alive, so
// closing in any order is safe.
//
// Threads: a session may be used by many threads at once; a connection and a request belong to
// the one thread that opened them. Failures are reported as false/empty; the reason is in
// LastHttpError() on the same thread. No call throws.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace quotrix {

struct HttpSessionOptions {
    std::string userAgent;
    // A WinINet proxy list ("http=http://host:port", or "host:port" for every scheme).
    // Empty: the system's own configuration (Internet settings on Windows, http_proxy on Linux).
    std::string proxyList;
    std::uint32_t connectTimeoutMs = 0;  // 0: the layer's default
    std::uint32_t receiveTimeoutMs = 0;  // longest wait for incoming bytes
    std::uint32_t sendTimeoutMs = 0;     // longest wait for the request to go out
};

class HttpRequest {
  public:
    virtual ~HttpRequest() = default;
    // A number that names the request in log lines.
    virtual std::uintptr_t Handle() const = 0;
    // Sends the request (again, when called a second time) and waits for the response headers,
    // following redirects (see kMaxRedirects).
    virtual bool Send() = 0;
    virtual bool QueryStatus(std::uint32_t& status) = 0;
    // The value of a header of the answer (after redirects, the last answer's), blanks around
    // it removed; `name` is matched without regard to case. False when the answer has none.
    virtual bool QueryHeader(std::string_view name, std::string& value) = 0;
    // Waits until body bytes are there or the body has ended; `bytes` 0 means the end.
    virtual bool QueryDataAvailable(std::uint32_t& bytes) = 0;
    // Reads up to `size` bytes; `read` 0 means the end of the body.
    virtual bool Read(char* buffer, std::uint32_t size, std::uint32_t& read) = 0;
    // Appends to `body` what has come of the body, at most `limit` (1 or more) bytes, waiting for at least
    // one byte or the end; `read` 0 means the end. Never waits for more than is there, so a
    // body that trickles in comes back piece by piece. A layer that receives into a buffer of
    // its own may hand that buffer over instead of copying it (when `body` is empty), so the
    // capacity reserved beforehand is a hint only. This default asks what is available and
    // reads that much.
    virtual bool ReadAppend(std::string& body, std::uint32_t limit, std::uint32_t& read);
    // Credentials for a proxy that asks for them (used by the next Send).
    virtual bool SetProxyUserName(std::string_view user) = 0;
    virtual bool SetProxyPassword(std::string_view password) = 0;
};

class HttpConnection {
  public:
    virtual ~HttpConnection() = default;
    virtual std::uintptr_t Handle() const = 0;
    // `object` is the path and query ("/q?s=7203"); `http10` asks for HTTP/1.0 instead of 1.1.
    // The request always goes to the server, never to a cache.
    virtual std::unique_ptr<HttpRequest> OpenRequest(const std::string& object, bool http10) = 0;
};

class HttpSession {
  public:
    virtual ~HttpSession() = default;
    virtual std::uintptr_t Handle() const = 0;
    // No traffic yet: the connection is made when a request is sent. `secure` selects TLS.
    virtual std::unique_ptr<HttpConnection> Connect(const std::string& host, std::uint16_t port, bool secure) = 0;
};

// Redirects (301, 302, 303, 307, 308) are followed inside Send, over http and https only, for at
// most this many hops; the answer after the last hop is the request's answer. One more makes
// the request fail with kTooManyRedirectsError and no status and no body.
inline constexpr int kMaxRedirects = 5;
// WinINet's ERROR_HTTP_REDIRECT_FAILED, so that logs read alike on both systems.
inline constexpr unsigned long kTooManyRedirectsError = 12156;

// Where a request goes: enough to open the connection and the request for it.
struct HttpTarget {
    std::string host;  // without the brackets of an IPv6 address
    std::uint16_t port = 80;
    bool secure = false;
    std::string object = "/";  // path and query
};

// The target a Location header names, seen from the request that got it: an absolute http or
// https address, "//host/...", "/path", "?query" or a path relative to the request's folder.
// False for any other scheme, a control character or a host that cannot be read.
bool ResolveRedirect(const HttpTarget& from, std::string_view location, HttpTarget& to);

// Whether a status is a redirect that is followed.
constexpr bool IsFollowedRedirect(std::uint32_t status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// The proxy a WinINet proxy list names for `scheme` ("http", "https"): the "scheme=" entry, else
// an entry without "=", else empty (no proxy). Entries are separated by blanks or ";".
std::string ProxyForScheme(std::string_view list, std::string_view scheme);

// Opens a session; empty on failure.
std::shared_ptr<HttpSession> OpenHttpSession(const HttpSessionOptions& options);

// The reason of the calling thread's last failure (GetLastError on Windows, a CURLcode or errno
// on Linux), for log lines.
unsigned long LastHttpError();

// Whether a LastHttpError() value means the host could not be reached or broke the exchange off
// (no name, no connection, a time-out, a reset, an answer that is no HTTP), as against a request
// this side gave up on (too many redirects, a redirect to another scheme, a bad address).
bool IsHostFailure(unsigned long error);

}  // namespace quotrix
