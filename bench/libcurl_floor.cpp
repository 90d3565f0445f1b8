// What libcurl alone costs for the pages one pass fetches: each stock's quote page and then its
// news page, on THREADS threads that share out the stocks as the pass's workers do, each with one
// easy handle kept for all its requests (so one kept-alive connection per thread), the body
// appended to a fresh string per page and nothing read. No multi handle, no time-outs, no
// headers kept: the least any client built on libcurl spends on these transfers. With PAUSE_MS,
// each request first waits that long plus 0 to 63 ms, as the pass spaces its requests: a thread
// that wakes for every page finds its caches cold, and that costs CPU too. watch-pass.sh prints
// both beside the pass.
//
//   libcurl_floor HOST:PORT FIRST COUNT THREADS [current|classic [PAUSE_MS]]
//
// Only the given address is asked (the benchmark serves from 127.0.0.1).
#include <curl/curl.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

size_t Append(char* data, size_t size, size_t count, void* body) {
    static_cast<std::string*>(body)->append(data, size * count);
    return size * count;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: libcurl_floor HOST:PORT FIRST COUNT THREADS [current|classic [PAUSE_MS]]\n");
        return 2;
    }
    const std::string address = argv[1];
    const int first = std::atoi(argv[2]);
    const int count = std::atoi(argv[3]);
    const int threads = std::max(1, std::atoi(argv[4]));
    const bool classic = argc > 5 && std::string(argv[5]) == "classic";
    const int pauseMs = argc > 6 ? std::atoi(argv[6]) : 0;
    if (curl_global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) return 1;

    std::atomic<int> next{first};
    std::atomic<long long> bytes{0};
    std::atomic<int> failures{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < threads; ++t)
        workers.emplace_back([&, t] {
            std::minstd_rand random(static_cast<unsigned>(t) + 1);
            std::uniform_int_distribution<int> spread(0, 63);
            CURL* easy = curl_easy_init();
            if (easy == nullptr) {
                ++failures;
                return;
            }
            std::string body;
            curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &Append);
            curl_easy_setopt(easy, CURLOPT_WRITEDATA, &body);
            curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
            curl_easy_setopt(easy, CURLOPT_PROXY, "");
            for (int code = next++; code < first + count; code = next++)
                for (const bool news : {false, true}) {
                    const std::string path = news      ? "/news?s=" + std::to_string(code)
                                             : classic ? "/q?s=" + std::to_string(code) + "&d=nc"
                                                       : "/quote/" + std::to_string(code) + ".T";
                    const std::string url = "http://" + address + path;
                    if (pauseMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs + spread(random)));
                    body = std::string();
                    curl_easy_setopt(easy, CURLOPT_URL, url.c_str());
                    if (curl_easy_perform(easy) != CURLE_OK) ++failures;
                    bytes += static_cast<long long>(body.size());
                }
            curl_easy_cleanup(easy);
        });
    for (std::thread& worker : workers) worker.join();
    std::printf("%lld bytes, %d failures\n", bytes.load(), failures.load());
    return failures.load() == 0 ? 0 : 1;
}
