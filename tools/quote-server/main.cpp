// quote-server: the quote site's pages on 127.0.0.1, for tests, benchmarks and ./run.
//
//   quote-server [--port N] [--seed N] [--encoding utf8|sjis|euc|jis] [--site classic|current]
//                [--latency MS] [--fail-rate P] [--slow] [--fixtures DIR] [--proxy-auth USER:PASSWORD]
//                [--release MAJOR.MINOR] [--page-bytes N] [--current-page-bytes N] [--status-burst
//                CODE:COUNT[:RETRY_AFTER]]
//                [--port-file FILE] [--quiet]
//
// --port 0 takes any free port; --port-file writes "127.0.0.1:PORT" there once the port is
// bound (for scripts). Stops on SIGINT or SIGTERM.
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <mutex>
#include <string>

#include "QuoteServer.h"

namespace {

void Usage() {
    std::fprintf(
        stderr,
        "usage: quote-server [--port N] [--seed N] [--encoding utf8|sjis|euc|jis] [--site classic|current]\n"
        "                    [--latency MS] [--fail-rate P] [--slow] [--fixtures DIR] [--proxy-auth USER:PASSWORD]\n"
        "                    [--release MAJOR.MINOR] [--page-bytes N] [--current-page-bytes N] [--status-burst "
        "CODE:COUNT[:RETRY_AFTER]]\n"
        "                    [--port-file FILE] [--quiet]\n");
}

}  // namespace

int main(int argc, char** argv) {
    quotesrv::ServerOptions options;
    std::string portFile;
    bool quiet = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                Usage();
                std::exit(2);
            }
            return argv[++i];
        };
        if (arg == "--port") {
            options.port = std::atoi(value().c_str());
        } else if (arg == "--seed") {
            options.seed = std::strtoull(value().c_str(), nullptr, 10);
        } else if (arg == "--encoding") {
            if (!quotesrv::ParseEncoding(value(), options.encoding)) {
                Usage();
                return 2;
            }
        } else if (arg == "--site") {
            if (!quotesrv::ParseSite(value(), options.site)) {
                Usage();
                return 2;
            }
        } else if (arg == "--latency") {
            options.latencyMs = std::atoi(value().c_str());
        } else if (arg == "--fail-rate") {
            options.failRate = std::atof(value().c_str());
        } else if (arg == "--slow") {
            options.slow = true;
        } else if (arg == "--fixtures") {
            options.fixturesDir = value();
        } else if (arg == "--proxy-auth") {
            const std::string pair = value();
            const auto colon = pair.find(':');
            options.proxyUser = pair.substr(0, colon);
            options.proxyPassword = colon == std::string::npos ? "" : pair.substr(colon + 1);
        } else if (arg == "--release") {
            if (std::sscanf(value().c_str(), "%u.%u", &options.releaseMajor, &options.releaseMinor) != 2) {
                Usage();
                return 2;
            }
        } else if (arg == "--status-burst") {
            if (!quotesrv::ParseStatusBurst(value(), options.burst)) {
                Usage();
                return 2;
            }
        } else if (arg == "--page-bytes") {
            options.pageBytes = std::strtoull(value().c_str(), nullptr, 10);
        } else if (arg == "--current-page-bytes") {
            options.currentPageBytes = std::strtoull(value().c_str(), nullptr, 10);
        } else if (arg == "--port-file") {
            portFile = value();
        } else if (arg == "--quiet") {
            quiet = true;
        } else {
            Usage();
            return 2;
        }
    }
    if (options.port < 0 || options.port > 65535) {
        Usage();
        return 2;
    }
    if (!quiet) {
        auto lock = std::make_shared<std::mutex>();
        options.log = [lock](const std::string& line) {
            std::lock_guard guard(*lock);
            std::fprintf(stdout, "%s\n", line.c_str());
            std::fflush(stdout);
        };
    }

    // The signals are taken by sigwait below; every thread the server starts inherits the mask.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    quotesrv::QuoteServer server(options);
    if (!server.Start()) {
        std::fprintf(stderr, "quote-server: cannot listen on 127.0.0.1:%d\n", options.port);
        return 1;
    }
    if (!portFile.empty()) {
        const std::string temporary = portFile + ".tmp";
        std::ofstream(temporary) << server.Address() << "\n";
        std::rename(temporary.c_str(), portFile.c_str());
    }
    std::fprintf(stdout, "quote-server: listening on http://%s/ (encoding %s, %s site%s)\n", server.Address().c_str(),
                 quotesrv::EncodingName(options.encoding), quotesrv::SiteName(options.site),
                 options.fixturesDir.empty() ? "" : ", fixtures");
    std::fflush(stdout);

    int received = 0;
    sigwait(&signals, &received);
    std::fprintf(stdout, "quote-server: %s, stopping after %llu requests\n", received == SIGINT ? "SIGINT" : "SIGTERM",
                 static_cast<unsigned long long>(server.Requests()));
    server.Stop();
    return 0;
}
