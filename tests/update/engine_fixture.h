// A stock list, an owner and an engine wired to the real page readers, for tests that run the
// engine against a quote server on loopback.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "log/ErrLog.h"
#include "model/SiteHosts.h"
#include "net/InetSession.h"
#include "update/DefaultServices.h"
#include "update/QueueOwner.h"
#include "update/UpdateEngine.h"

namespace quotrix::testing {

// Counts what the engine asks the window to do.
struct CountingView : UpdateView {
    int redraws = 0;
    int updatedRedraws = 0;
    int refreshes = 0;
    void RedrawStock(CStockMan&, bool updated) override {
        ++redraws;
        if (updated) ++updatedRedraws;
    }
    void RefreshViews(bool) override { ++refreshes; }
};

class EngineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        savedHosts_ = CurrentSiteHosts();
        CheckHalt = false;
        Online = true;
        NoAutoUpdateOffline = false;
    }

    void TearDown() override {
        if (engine) engine->Shutdown();
        engine.reset();
        stocks.clear();
        CheckHalt = false;
        NoAutoUpdateOffline = false;
        SetSiteHosts(savedHosts_);
        AppLog().SetLevel(0);
    }

    // Points every host at `address` and builds an engine with `maxThreads` places.
    void Build(const std::string& address, int maxThreads, EngineServices services = DefaultEngineServices()) {
        SiteHosts hosts;
        hosts.detail = hosts.quote = hosts.board = hosts.news = address;
        SetSiteHosts(hosts);
        InetSessionConfig config = InetSession::Instance().Config();
        config.maxThreads = maxThreads;
        config.requestPauseMs = 0;
        // Each test starts with no host backed off, under the program's own rules.
        config.backoff = BackoffPolicy{};
        InetSession::Instance().Configure(config);
        InetSession::Instance().Backoff().Clear();
        owner = std::make_unique<QueueOwner>();
        engine = std::make_unique<UpdateEngine>(*owner, stocks, std::move(services), &view);
        owner->SetSink(engine.get());
    }

    void AddStocks(const std::vector<std::string>& codes) {
        for (const auto& code : codes) stocks.push_back(std::make_unique<CStockMan>(code));
    }

    // Runs the owner's loop until the queue is empty and no worker is left.
    bool RunUntilIdle(std::chrono::seconds limit = std::chrono::seconds(60)) {
        const auto until = std::chrono::steady_clock::now() + limit;
        owner->Run([&] {
            return (engine->QueueLength() == 0 && engine->LiveWorkers() == 0) ||
                   std::chrono::steady_clock::now() > until;
        });
        return engine->QueueLength() == 0 && engine->LiveWorkers() == 0;
    }

    // Sends the application log to a fresh file at `level` and answers its path.
    std::string LogToFile(const std::string& name, int level) {
        const std::string path = ::testing::TempDir() + name + ".log";
        AppLog().SetPath(path);
        std::remove(AppLog().CurrentPath().c_str());
        AppLog().SetLevel(level);
        return AppLog().CurrentPath();
    }

    static std::string ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    StockList stocks;
    CountingView view;
    std::unique_ptr<QueueOwner> owner;
    std::unique_ptr<UpdateEngine> engine;

  private:
    SiteHosts savedHosts_;
};

}  // namespace quotrix::testing
