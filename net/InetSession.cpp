#include "net/InetSession.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <new>
#include <optional>
#include <string_view>
#include <thread>

#include "log/ErrLog.h"
#include "net/UrlParts.h"
#include "platform/Connectivity.h"
#include "platform/TextCodec.h"

// Every line of a fetch goes to the request's own log, and nowhere when there is none.
#define NET_LOG(log, level, ...)                                 \
    do {                                                         \
        if ((log) != nullptr) (log)->Append(level, __VA_ARGS__); \
    } while (0)

namespace quotrix {

std::atomic<bool> CheckHalt{false};
std::atomic<bool> Online{true};
std::atomic<bool> NoAutoUpdateOffline{false};

namespace {

constexpr char kUserAgent[] = "Mozilla/4.0 (compatible;)";
constexpr std::size_t kCredentialLimit = 511;
constexpr std::chrono::milliseconds kProbeWait{20};

unsigned Low32(std::uintptr_t handle) { return static_cast<unsigned>(handle & 0xFFFFFFFFu); }

// At most `limit` bytes of Shift-JIS text, never half a double-byte character.
std::string CutSjis(const std::string& text, std::size_t limit) {
    std::size_t end = 0;
    while (end < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[end]);
        const bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
        const std::size_t width = lead && end + 1 < text.size() ? 2 : 1;
        if (end + width > limit) break;
        end += width;
    }
    return text.substr(0, end);
}

// 0 to 63 ms, different from one request to the next.
std::uint32_t Jitter() {
    static std::atomic<std::uint32_t> counter{0};
    std::uint32_t x = counter.fetch_add(0x9E3779B9u, std::memory_order_relaxed);
    x ^= x >> 15;
    x *= 0x2C1B3C6Du;
    x ^= x >> 12;
    return x & 63;
}

// The body while it is read: a run of chunks, each filled before the next is started, so that
// nothing is copied until the one final join. The first chunk is the body string itself, read
// into by appending (the layer may even hand its own buffer over): a page whose length is
// announced arrives in its place, never copied and never filled with zeros first.
class ChunkChain {
  public:
    struct Chunk {
        std::unique_ptr<Chunk> next;
        std::uint32_t used = 0;
        std::uint32_t capacity = 0;
        std::unique_ptr<char[]> data;
        std::string* body = nullptr;  // the body string (first chunk only)
    };

    ~ChunkChain() { Free(); }

    // Makes `body` (emptied, with room for `capacity` bytes) the first chunk; false when memory
    // runs out.
    bool AddFirst(std::string& body, std::uint32_t capacity) {
        std::unique_ptr<Chunk> chunk(new (std::nothrow) Chunk);
        if (!chunk) return false;
        body.clear();
        try {
            body.reserve(capacity);
        } catch (const std::bad_alloc&) {
            return false;
        }
        chunk->body = &body;
        chunk->capacity = capacity;
        last_ = chunk.get();
        first_ = std::move(chunk);
        return true;
    }

    // Appends a chunk and makes it the current one; false when memory runs out.
    bool Add(std::uint32_t capacity) {
        std::unique_ptr<Chunk> chunk(new (std::nothrow) Chunk);
        if (!chunk) return false;
        chunk->data.reset(new (std::nothrow) char[capacity]);
        if (!chunk->data) return false;
        chunk->capacity = capacity;
        Chunk* added = chunk.get();
        if (last_ == nullptr)
            first_ = std::move(chunk);
        else
            last_->next = std::move(chunk);
        last_ = added;
        return true;
    }

    Chunk* Current() { return last_; }
    bool Empty() const { return first_ == nullptr; }

    std::uint64_t Total() const {
        std::uint64_t total = 0;
        for (const Chunk* c = first_.get(); c != nullptr; c = c->next.get()) total += c->used;
        return total;
    }

    // Moves the bytes into `out` (the body, already sized to the total, its first chunk's bytes
    // in place), freeing each chunk once copied.
    void JoinInto(std::string& out) {
        std::size_t at = 0;
        if (first_ && first_->body != nullptr) {
            at = first_->used;
            first_ = std::move(first_->next);
        }
        while (first_) {
            std::copy_n(first_->data.get(), first_->used, out.data() + at);
            at += first_->used;
            first_ = std::move(first_->next);
        }
        last_ = nullptr;
    }

    // Iteratively, so that a long chain cannot exhaust the stack.
    void Free() {
        while (first_) first_ = std::move(first_->next);
        last_ = nullptr;
    }

  private:
    std::unique_ptr<Chunk> first_;
    Chunk* last_ = nullptr;
};

// Capacity of a new chunk, clamped so that the arithmetic cannot wrap.
// A Content-Length value: decimal digits with blanks around them; 0 for anything else.
std::uint64_t ParseContentLength(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    std::uint64_t value = 0;
    const std::size_t first = i;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + static_cast<std::uint64_t>(text[i] - '0');
        if (value > (1ull << 40)) return 0;
    }
    if (i == first) return 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    return i == text.size() ? value : 0;
}

std::uint32_t GrownCapacity(std::uint32_t next) {
    constexpr std::uint32_t kLargest = 256u << 20;
    return next >= kLargest / 4 ? kLargest : next * 4;
}

}  // namespace

InetSession& InetSession::Instance() {
    static InetSession session;
    return session;
}

InetSession::~InetSession() {
    std::lock_guard lock(lock_);
    CloseHandleLocked();
}

void InetSession::Configure(const InetSessionConfig& config) {
    std::lock_guard lock(lock_);
    config_ = config;
    backoff_.SetPolicy(config.backoff);
    if (config.maxThreads >= 1) maxUsers_ = config.maxThreads;
}

InetSessionConfig InetSession::Config() {
    std::lock_guard lock(lock_);
    InetSessionConfig config = config_;
    config.maxThreads = maxUsers_;
    return config;
}

void InetSession::SetMaxUsers(std::int32_t maxUsers) {
    std::lock_guard lock(lock_);
    if (maxUsers != 0) maxUsers_ = maxUsers;
}

bool InetSession::OpenLocked() {
    HttpSessionOptions options;
    options.userAgent = kUserAgent;
    const bool proxy = config_.useProxy && !config_.proxyServer.empty();
    if (proxy) options.proxyList = config_.proxyServer;
    options.connectTimeoutMs = config_.connectTimeoutMs;
    options.receiveTimeoutMs = config_.receiveTimeoutMs;
    options.sendTimeoutMs = config_.sendTimeoutMs;
    handle_ = OpenHttpSession(options);
    if (!handle_) {
        AppLog().Log(LOG_ERR, "[SESSION] Open Internet Session: Failure");
        if (proxy) AppLog().Log(LOG_DTL, "[SESSION] Proxy server: %s", config_.proxyServer.c_str());
        return false;
    }
    AppLog().Log(LOG_DTL, "[SESSION] Open Internet Session: 0x%08x", Low32(handle_->Handle()));
    return true;
}

void InetSession::CloseHandleLocked() {
    if (!handle_) return;
    AppLog().Log(LOG_DTL, "[SESSION] Close Internet Session: 0x%08x", Low32(handle_->Handle()));
    // Fetches still under way keep their own reference; the layer closes when the last one ends.
    handle_.reset();
}

bool InetSession::Acquire(bool limited) {
    std::lock_guard lock(lock_);
    bool allowed = !limited || users_ < maxUsers_;
    if (allowed) {
        ++users_;
        if (!handle_ && !OpenLocked()) {
            allowed = false;
            --users_;
        }
    }
    return allowed;
}

void InetSession::Release() {
    std::lock_guard lock(lock_);
    if (users_ < 1) {
        // An unbalanced release must not leave a negative count behind: the next limited
        // Acquire would then admit one fetch too many.
        AppLog().Log(LOG_ERR, "[SESSION] Release without a user");
        users_ = 0;
    } else {
        --users_;
    }
    if (users_ < 1) CloseHandleLocked();
}

std::unique_lock<std::mutex> InetSession::TryLockFor(std::chrono::milliseconds wait) {
    const auto deadline = std::chrono::steady_clock::now() + wait;
    std::unique_lock lock(lock_, std::try_to_lock);
    while (!lock.owns_lock() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        lock.try_lock();
    }
    return lock;
}

bool InetSession::IsInUse() {
    const auto lock = TryLockFor(kProbeWait);
    return !lock.owns_lock() || users_ > 0;
}

bool InetSession::IsFull() {
    const auto lock = TryLockFor(kProbeWait);
    return !lock.owns_lock() || users_ >= maxUsers_;
}

bool InetSession::ApplyProxyCredentials(HttpRequest& request) {
    std::lock_guard lock(lock_);
    if (!config_.proxyAuthentication) return false;
    const bool user = request.SetProxyUserName(CutSjis(config_.proxyUser, kCredentialLimit));
    const bool password = request.SetProxyPassword(CutSjis(config_.proxyPassword, kCredentialLimit));
    return user && password;
}

void InetSession::Close() {
    std::lock_guard lock(lock_);
    closed_ = true;
}

bool InetSession::IsClosed() {
    std::lock_guard lock(lock_);
    return closed_;
}

bool InetSession::IsOpen() {
    std::lock_guard lock(lock_);
    return handle_ != nullptr;
}

std::int32_t InetSession::Users() {
    std::lock_guard lock(lock_);
    return users_;
}

std::shared_ptr<HttpSession> InetSession::Handle() {
    std::lock_guard lock(lock_);
    return closed_ ? nullptr : handle_;
}

std::unique_lock<std::mutex> InetSession::HoldLock() { return std::unique_lock(lock_); }

bool DownloadUrl(const std::string& url, std::string& body, ThreadLog* log) {
    return DownloadUrl(InetSession::Instance(), url, body, log);
}

bool DownloadUrl(InetSession& session, const std::string& url, std::string& body, ThreadLog* log) {
    body.clear();
    NET_LOG(log, LOG_INT, "url: %s", url.c_str());

    const std::shared_ptr<HttpSession> http = session.Handle();
    if (!http) {
        NET_LOG(log, LOG_ERR, "Inet session open failure (%d)", static_cast<int>(LastHttpError()));
        return false;
    }
    const InetSessionConfig config = session.Config();
    if (config.requestPauseMs > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(config.requestPauseMs + Jitter()));
    if (CheckHalt) {
        NET_LOG(log, LOG_INT, "Download aborted");
        return false;
    }

    UrlParts parts;
    if (!CrackUrl(url, parts)) {
        NET_LOG(log, LOG_ERR, "InternetCrackUrl failure (%d)", static_cast<int>(kInvalidUrlError));
        return false;
    }

    // The host as the backoff knows it: one server, whatever the case of its name.
    std::string host = parts.host;
    for (char& c : host)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    host += ":" + std::to_string(parts.port);
    HostBackoff& backoff = session.Backoff();
    std::chrono::milliseconds wait{0};
    if (!backoff.Allow(host, HostBackoff::Clock::now(), wait)) {
        if (wait.count() > 0)
            NET_LOG(log, LOG_ERR, "Host %s backing off: not asked for %lld ms more", host.c_str(),
                    static_cast<long long>(wait.count()));
        else
            NET_LOG(log, LOG_ERR, "Host %s backing off: not asked until another request returns", host.c_str());
        return false;
    }
    // Every fetch let through reports how the host answered, on every way out of here: a
    // failure until a status says otherwise.
    struct Outcome {
        Outcome(HostBackoff& b, const std::string& h, ThreadLog* l) : backoff(b), host(h), log(l) {}
        HostBackoff& backoff;
        const std::string& host;
        ThreadLog* log;
        FetchOutcome result = FetchOutcome::Failed;
        std::optional<std::chrono::seconds> retryAfter;
        std::uint32_t status = 0;
        ~Outcome() {
            const auto wait = backoff.Record(host, result, retryAfter, HostBackoff::Clock::now());
            if (wait.count() > 0)
                NET_LOG(log, LOG_ERR, "Host %s refuses (%d): backing off for %lld ms", host.c_str(),
                        static_cast<int>(status), static_cast<long long>(wait.count()));
        }
    } outcome(backoff, host, log);

    // The port the address names (80 or 443 when it names none): a mirror or test server on
    // another port must be reached there, not on 80.
    std::unique_ptr<HttpConnection> connection = http->Connect(parts.host, parts.port, parts.secure);
    NET_LOG(log, LOG_DTL, "Inet connect: 0x%08X / open: %s", connection ? Low32(connection->Handle()) : 0u,
            parts.host.c_str());
    if (!connection) {
        NET_LOG(log, LOG_ERR, "InternetConnect failure (%d)", static_cast<int>(LastHttpError()));
        return false;
    }

    const std::string object = parts.path + parts.extra;
    std::unique_ptr<HttpRequest> request = connection->OpenRequest(object, config.http10);
    NET_LOG(log, LOG_DTL, "%s open request: 0x%08X GET %s", config.http10 ? "HTTP/1.0" : "HTTP/1.1",
            request ? Low32(request->Handle()) : 0u, object.c_str());
    if (!request) {
        NET_LOG(log, LOG_ERR, "HttpOpenRequest failure (%d)", static_cast<int>(LastHttpError()));
        return false;
    }

    // A failed send shows in the status query and in the reads that follow; its reason is kept
    // for the backoff, since the status query of a request never sent has a reason of its own.
    unsigned long failure = request->Send() ? 0 : LastHttpError();
    std::uint32_t status = 0;
    bool answered = request->QueryStatus(status);
    if (!answered) {
        const unsigned long error = LastHttpError();
        if (failure == 0) failure = error;
        NET_LOG(log, LOG_INT, "Query status: failure (%d)", static_cast<int>(error));
    } else if (status == 200) {
        NET_LOG(log, LOG_DTL, "Query status: HTTP_STATUS_OK");
    } else if (status == 407) {
        NET_LOG(log, LOG_DTL, "Query status: HTTP_STATUS_PROXY_AUTH_REQ");
        session.ApplyProxyCredentials(*request);
        failure = request->Send() ? 0 : LastHttpError();
        // What the host made of the second asking is what the backoff goes by.
        answered = request->QueryStatus(status);
        if (!answered && failure == 0) failure = LastHttpError();
    } else {
        NET_LOG(log, LOG_DTL, "Query status: %d", static_cast<int>(status));
    }
    // A request given up on this side (a redirect loop, say) says nothing about the host.
    outcome.result = answered || IsHostFailure(failure) ? OutcomeOfStatus(answered, status) : FetchOutcome::Answered;
    outcome.status = answered ? status : 0;
    if (std::string value; outcome.result == FetchOutcome::Refused && request->QueryHeader("Retry-After", value))
        outcome.retryAfter = ParseRetryAfter(value, std::time(nullptr));

    ChunkChain chunks;
    std::uint32_t available = 0;
    std::uint32_t firstCapacity = 10240;
    if (!request->QueryDataAvailable(available)) {
        available = 0;
    } else {
        NET_LOG(log, LOG_DTL, "Query data available: %d bytes", static_cast<int>(available));
        firstCapacity = std::max<std::uint32_t>(std::min<std::uint32_t>(available, 1u << 24) + 1024, 10240);
    }
    // An announced length makes the first chunk the only one (one byte more, so that the read
    // behind the last byte finds room and sees the end).
    if (std::string value; request->QueryHeader("Content-Length", value)) {
        const std::uint64_t length = ParseContentLength(value);
        if (length > 0 && length < config.maxBodyBytes && length < (1u << 24))
            firstCapacity = std::max<std::uint32_t>(firstCapacity, static_cast<std::uint32_t>(length) + 1);
    }
    // What is there at once is no reason to read beyond the limit either.
    firstCapacity = std::min(firstCapacity, std::max<std::uint32_t>(config.maxBodyBytes, 1));
    std::uint64_t received = 0;
    // The body string's room is only reserved, its pages touched as bytes arrive: a length
    // announced far beyond what comes costs nothing.
    const bool started = chunks.AddFirst(body, firstCapacity);
    if (started && !CheckHalt) {
        while (true) {
            ChunkChain::Chunk* chunk = chunks.Current();
            std::uint32_t read = 0;
            if (chunk->body != nullptr) {
                // Appending returns whatever has come, so CheckHalt is seen while the body
                // trickles in; the chunk's room is asked for only when it is nearly used up.
                const std::uint32_t want = chunk->capacity - chunk->used;
                if (!request->ReadAppend(*chunk->body, want, read) || read == 0) break;
                chunk->used += read;
                received += read;
                if (CheckHalt) break;
                if (chunk->capacity - chunk->used >= 1024) continue;
            } else {
                // Asking for no more than is there keeps a read from blocking until a slow server
                // has filled the whole chunk, so that CheckHalt is seen while the body trickles in.
                std::uint32_t want = chunk->capacity - chunk->used;
                if (available > 0) want = std::min(want, available);
                if (!request->Read(chunk->data.get() + chunk->used, want, read) || read == 0) break;
                chunk->used += read;
                received += read;
            }

            std::uint32_t next = 1024;
            available = 0;
            if (request->QueryDataAvailable(available)) {
                if (available == 0) break;
                next = std::max<std::uint32_t>(std::min<std::uint32_t>(available, 1u << 24) + 128, 1024);
            }
            if (std::uint64_t(chunk->used) + next > chunk->capacity) {
                const std::uint32_t capacity = GrownCapacity(next);
                if (received + capacity > config.maxBodyBytes || !chunks.Add(capacity)) {
                    NET_LOG(log, LOG_ERR, "Memory allocation failure (%d bytes)", static_cast<int>(capacity));
                    break;
                }
            }
            if (CheckHalt) break;
        }
    }

    request.reset();
    connection.reset();
    NET_LOG(log, LOG_DTL, "Inet session closed");

    if (!chunks.Empty() && CheckHalt) {
        chunks.Free();
        body.clear();
        NET_LOG(log, LOG_ERR, "Download failure");
        return false;
    }
    const std::uint64_t total = chunks.Total();
    bool joined = false;
    if (total > 0) {
        try {
            body.resize(static_cast<std::size_t>(total));
            chunks.JoinInto(body);
            joined = true;
        } catch (const std::bad_alloc&) {
            body.clear();
        }
    }
    if (!joined) {
        // A host that sends a status and then nothing is failing, not answering.
        if (outcome.status != 0 && outcome.result == FetchOutcome::Answered) outcome.result = FetchOutcome::Failed;
        chunks.Free();
        body.clear();
        NET_LOG(log, LOG_ERR, "Download failure");
        return false;
    }
    NET_LOG(log, LOG_INT, "Download %d bytes", static_cast<int>(body.size()));
    return true;
}

bool IsConnected() {
    bool connected = false;
    std::uint32_t flags = 0;
    return QueryConnectedOption(connected) && connected && GetConnectedState(flags) &&
           (flags & (kConnectionModem | kConnectionLan | kConnectionProxy)) != 0;
}

bool AttemptConnect() { return AttemptPlatformConnect(); }

void RefreshOnline() {
    if (IsConnected())
        Online = true;
    else if (NoAutoUpdateOffline)
        Online = false;
    else
        Online = AttemptConnect();
}

void RefreshOnlineForUser() { Online = IsConnected() || AttemptConnect(); }

bool ToUtf8Query(const std::string& sjis, bool encode, std::string& out) {
    out.clear();
    std::u16string wide;
    if (sjis.empty() || !ToUtf16(CodePage::Sjis, sjis, wide, /*strict=*/true) || wide.empty()) return false;
    std::string utf8;
    if (!FromUtf16(CodePage::Utf8, wide, utf8) || utf8.empty()) return false;
    if (!encode) {
        out = std::move(utf8);
        return true;
    }
    return UrlEncodeUtf8(utf8, out);
}

bool UrlEncodeUtf8(const std::string& utf8, std::string& out) {
    static const char kHex[] = "0123456789ABCDEF";
    auto put = [&out](unsigned char c) {
        out += '%';
        out += kHex[c >> 4];
        out += kHex[c & 0x0F];
    };
    auto continuation = [&utf8](std::size_t at) {
        return at < utf8.size() && (static_cast<unsigned char>(utf8[at]) & 0xC0) == 0x80;
    };
    std::size_t i = 0;
    while (i < utf8.size()) {
        const unsigned char c = static_cast<unsigned char>(utf8[i]);
        std::size_t length = 0;
        if (c < 0x80)
            length = 1;
        else if (c >= 0xC0 && c <= 0xDF && continuation(i + 1))
            length = 2;
        else if (c >= 0xE0 && c <= 0xEF && continuation(i + 1) && continuation(i + 2))
            length = 3;
        else
            return false;
        if (c == ' ') {
            out += '+';
        } else {
            for (std::size_t k = 0; k < length; ++k) put(static_cast<unsigned char>(utf8[i + k]));
        }
        i += length;
    }
    return true;
}

std::string FormatProxyServer(const std::string& host, int port) {
    return "http=http://" + host + ":" + std::to_string(port);
}

bool ParseProxyServer(const std::string& text, std::string& host, int& port) {
    const auto first = text.find('/');
    if (first == std::string::npos) return false;
    const auto second = text.find('/', first + 1);
    if (second == std::string::npos) return false;
    const auto colon = text.find(':', second + 1);
    if (colon == std::string::npos) return false;
    std::size_t at = colon + 1;
    if (at >= text.size() || text[at] < '0' || text[at] > '9') return false;
    long value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at)
        value = std::min(value * 10 + (text[at] - '0'), 99999L);
    host = text.substr(second + 1, colon - second - 1);
    port = static_cast<int>(value);
    return true;
}

}  // namespace quotrix
