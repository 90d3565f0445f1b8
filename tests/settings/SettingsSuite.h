// One suite of settings tests, run against every store this build has: memory everywhere, the
// registry under Windows, the settings file under Linux (tests/win32, tests/posix instantiate it).
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "settings/SettingsStore.h"

namespace quotrix {

// A private, empty place for one test's settings. Open() may be called again to get a second
// handle on the same values (as the next run of the program would); the destructor removes it.
class TestStorePlace {
  public:
    virtual ~TestStorePlace() = default;
    virtual std::unique_ptr<SettingsStore> Open() = 0;
};

struct StoreKind {
    std::string name;
    std::function<std::unique_ptr<TestStorePlace>()> make;
};

inline std::string StoreKindName(const testing::TestParamInfo<StoreKind>& info) { return info.param.name; }

class SettingsStoreSuite : public testing::TestWithParam<StoreKind> {
  protected:
    void SetUp() override {
        place_ = GetParam().make();
        store_ = place_->Open();
    }
    void TearDown() override {
        store_.reset();
        place_.reset();
    }
    // A new handle on the same values.
    std::unique_ptr<SettingsStore> Reopen() { return place_->Open(); }
    SettingsStore& store() { return *store_; }

  private:
    std::unique_ptr<TestStorePlace> place_;
    std::unique_ptr<SettingsStore> store_;
};

}  // namespace quotrix
