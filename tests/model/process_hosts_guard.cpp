// Loading settings sets the process-wide site hosts (the current quote pages by default), and a
// test that loads them would leave its hosts to whichever test runs next. Every test starts from
// the classic hosts a plain SiteHosts holds, whatever order the tests run in.
#include <gtest/gtest.h>

#include "model/SiteHosts.h"

namespace quotrix {
namespace {

class HostsReset : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { SetSiteHosts(SiteHosts()); }
};

const bool registered = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new HostsReset);
    return true;
}();

}  // namespace
}  // namespace quotrix
