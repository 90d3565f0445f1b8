// The icon control's show protocol and the cache's sharing rules, through the two seams the
// window system sits behind (the notification-area calls and the image composition). The Windows
// test program runs the same control against the real shell and image lists.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/DisplayTexts.h"
#include "icons/IconCache.h"
#include "icons/IconShell.h"
#include "icons/StockIcon.h"
#include "icons/StockIconCtrl.h"
#include "model/StockMan.h"

namespace quotrix {
namespace {

struct TrayCall {
    TrayOp op;
    std::uint32_t id;
    void* icon;
    std::string tip;
    bool balloon;
};

class RecordingShell : public IconShell {
  public:
    RecordingShell() { previous_ = SetIconShell(this); }
    ~RecordingShell() override { SetIconShell(previous_); }
    bool Tray(TrayOp op, const TrayIcon& icon) override {
        calls.push_back({op, icon.id, icon.icon, icon.tip ? *icon.tip : std::string(), icon.balloon});
        if (op == TrayOp::Add && failAdds > 0) return --failAdds, false;
        if (op == TrayOp::Modify && failModifies > 0) return --failModifies, false;
        return true;
    }
    std::vector<TrayOp> Ops() const {
        std::vector<TrayOp> ops;
        for (const auto& c : calls) ops.push_back(c.op);
        return ops;
    }
    std::vector<TrayCall> calls;
    int failAdds = 0;
    int failModifies = 0;

  private:
    IconShell* previous_;
};

// Distinct fake handles; remembers which are alive.
class CountingComposer : public IconComposer {
  public:
    void* Compose(IconCode code) override {
        if (failing.count(code)) return nullptr;
        void* icon = reinterpret_cast<void*>(++next);
        alive.insert(icon);
        ++composed;
        return icon;
    }
    void Destroy(void* icon) override { alive.erase(icon); }
    std::uintptr_t next = 0x1000;
    std::set<void*> alive;
    std::set<IconCode> failing;
    int composed = 0;
};

using Ops = std::vector<TrayOp>;

TEST(IconCache, OneEntryPerCodeReleasedWithTheLastUser) {
    CountingComposer composer;
    IconCache cache(composer);
    RecordingShell shell;
    {
        CStockIconCtrl a(40, false), b(41, false);
        IconCacheEntry* rise = cache.GetIcon(MakeIconCode(IMG_ARROW_RISE));
        ASSERT_NE(rise, nullptr);
        EXPECT_EQ(cache.GetIcon(MakeIconCode(IMG_ARROW_RISE)), rise);
        EXPECT_EQ(composer.composed, 1);
        EXPECT_TRUE(a.SetFirstIcon(nullptr, rise, "a"));
        EXPECT_TRUE(b.SetFirstIcon(nullptr, cache.GetIcon(MakeIconCode(IMG_ARROW_RISE)), "b"));
        EXPECT_EQ(rise->users, 2u);
        EXPECT_EQ(a.Icon(), rise->icon);
        EXPECT_EQ(cache.Controls(), 2u);

        // Moving one control to another picture keeps the shared one for the other.
        void* riseIcon = rise->icon;
        EXPECT_TRUE(a.UpdateIcon(cache.GetIcon(MakeIconCode(IMG_ARROW_FALL)), "a"));
        EXPECT_EQ(rise->users, 1u);
        EXPECT_EQ(cache.Size(), 2u);
        // The same entry again does not change its count.
        EXPECT_TRUE(a.UpdateIcon(cache.GetIcon(MakeIconCode(IMG_ARROW_FALL)), "a"));
        EXPECT_EQ(cache.Find(MakeIconCode(IMG_ARROW_FALL))->users, 1u);
        EXPECT_TRUE(b.UpdateIcon(cache.GetIcon(MakeIconCode(IMG_ARROW_FALL)), "b"));
        EXPECT_EQ(cache.Find(MakeIconCode(IMG_ARROW_RISE)), nullptr);
        EXPECT_EQ(composer.alive.count(riseIcon), 0u);
    }
    // Both controls gone: no entry, no icon left.
    EXPECT_EQ(cache.Size(), 0u);
    EXPECT_TRUE(composer.alive.empty());
    EXPECT_EQ(cache.Controls(), 0u);
}

TEST(IconCache, FailuresFallBackToTheApplicationImage) {
    CountingComposer composer;
    IconCache cache(composer);
    composer.failing.insert(MakeIconCode(IMG_ARROW_RISE));
    EXPECT_EQ(cache.GetIcon(MakeIconCode(IMG_ARROW_RISE)), nullptr);
    IconCacheEntry* app = cache.GetIcon(kIconApplication);
    ASSERT_NE(app, nullptr);
    EXPECT_EQ(cache.GetIcon(MakeIconCode(IMG_ARROW_RISE)), app);
    EXPECT_EQ(cache.Size(), 1u);

    // A control without an entry reports failure and shows nothing.
    RecordingShell shell;
    CStockIconCtrl ctrl(50, false);
    EXPECT_FALSE(ctrl.SetFirstIcon(nullptr, nullptr, "tip"));
    EXPECT_FALSE(ctrl.UpdateIcon(nullptr, "tip"));
    EXPECT_TRUE(shell.calls.empty());
    EXPECT_EQ(ctrl.Tip(), "tip");
}

TEST(IconCache, RebuildHandsNewIconsToShownControls) {
    CountingComposer composer;
    IconCache cache(composer);
    RecordingShell shell;
    CStockIconCtrl shown(60, false), hidden(61, false);
    ASSERT_TRUE(shown.SetFirstIcon(nullptr, cache.GetIcon(kIconApplication), "s"));
    hidden.SetShow(SHOW_HIDDEN);
    ASSERT_TRUE(hidden.SetFirstIcon(nullptr, cache.GetIcon(kIconApplication), "h"));
    void* old = shown.Icon();
    shell.calls.clear();
    EXPECT_TRUE(cache.Rebuild());
    EXPECT_NE(shown.Icon(), old);
    EXPECT_EQ(hidden.Icon(), shown.Icon());
    EXPECT_EQ(composer.alive.count(old), 0u);
    // Only the shown one goes back to the shell, with the new picture.
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].op, TrayOp::Modify);
    EXPECT_EQ(shell.calls[0].icon, shown.Icon());

    cache.Clear();
    EXPECT_EQ(shown.CacheEntry(), nullptr);
    EXPECT_TRUE(composer.alive.empty());
}

TEST(CStockIconCtrl, NotificationAreaProtocol) {
    CountingComposer composer;
    IconCache cache(composer);
    RecordingShell shell;
    CStockIconCtrl ctrl(70, false);
    EXPECT_EQ(ctrl.RequestedShow(), SHOW_TRAY);
    EXPECT_EQ(ctrl.CurrentShow(), SHOW_HIDDEN);

    // Not there yet: delete (result ignored), then add.
    ASSERT_TRUE(ctrl.SetFirstIcon(nullptr, cache.GetIcon(kIconApplication), "first"));
    EXPECT_EQ(shell.Ops(), (Ops{TrayOp::Delete, TrayOp::Add}));
    EXPECT_EQ(ctrl.CurrentShow(), SHOW_TRAY);

    // There: modify.
    shell.calls.clear();
    EXPECT_TRUE(ctrl.SetTip("second"));
    EXPECT_EQ(shell.Ops(), (Ops{TrayOp::Modify}));
    EXPECT_EQ(shell.calls[0].tip, "second");

    // Modify fails: add; add fails too: delete and add.
    shell.calls.clear();
    shell.failModifies = 1;
    shell.failAdds = 1;
    EXPECT_TRUE(ctrl.SetTip("third"));
    EXPECT_EQ(shell.Ops(), (Ops{TrayOp::Modify, TrayOp::Add, TrayOp::Delete, TrayOp::Add}));

    // Everything fails: reported, and the state stays as it was.
    shell.calls.clear();
    shell.failModifies = 1;
    shell.failAdds = 2;
    EXPECT_FALSE(ctrl.SetTip("fourth"));
    EXPECT_EQ(ctrl.CurrentShow(), SHOW_TRAY);

    // Hiding deletes; a second hide asks nothing of the shell.
    shell.calls.clear();
    EXPECT_TRUE(ctrl.SetShow(SHOW_HIDDEN));
    EXPECT_EQ(shell.Ops(), (Ops{TrayOp::Delete}));
    EXPECT_EQ(ctrl.CurrentShow(), SHOW_HIDDEN);
    shell.calls.clear();
    EXPECT_TRUE(ctrl.SetShow(SHOW_HIDDEN));
    EXPECT_TRUE(shell.calls.empty());

    // No desktop window: the desktop state cannot be shown.
    EXPECT_FALSE(ctrl.SetShow(SHOW_DESKTOP));
    EXPECT_EQ(ctrl.CurrentShow(), SHOW_HIDDEN);
    EXPECT_FALSE(ctrl.SetShow(7));  // logged as an invalid show flag
}

TEST(CStockIconCtrl, DestructionRemovesTheTrayIcon) {
    CountingComposer composer;
    IconCache cache(composer);
    RecordingShell shell;
    {
        CStockIconCtrl ctrl(80, false);
        ASSERT_TRUE(ctrl.SetFirstIcon(nullptr, cache.GetIcon(kIconVersionUp), "v"));
        shell.calls.clear();
    }
    EXPECT_EQ(shell.Ops(), (Ops{TrayOp::Delete}));
    EXPECT_EQ(shell.calls[0].id, 80u);
    EXPECT_EQ(cache.Size(), 0u);
}

// A stock with a quote, a watch range of 100 to 200 yen and the balloon alert.
struct WatchedStock : CStockMan {
    WatchedStock() : CStockMan("6758.t") {
        status = STATUS_UPDATED;
        dispLower = 100 * kYen;
        dispUpper = 200 * kYen;
        fileFlags |= FILEFLAG_BALLOON;
    }
    void Quote(std::int32_t yen) {
        price = yen * kYen;
        ApplyWatchBand(*this);
    }
};

TEST(ApplyWatchBand, BalloonOncePerExitFromTheRange) {
    CountingComposer composer;
    IconCache cache(composer);
    RecordingShell shell;
    WatchedStock s;
    s.showMode = 1;
    ASSERT_TRUE(s.SetFirstIcon(nullptr, cache.GetIcon(kIconApplication), "tip"));
    auto balloons = [&] {
        int n = 0;
        for (const auto& c : shell.calls) n += c.balloon;
        return n;
    };
    s.Quote(150);
    EXPECT_EQ(balloons(), 0);
    s.Quote(250);
    EXPECT_EQ(balloons(), 1);
    s.Quote(260);  // still outside
    s.Quote(270);
    EXPECT_EQ(balloons(), 1);
    s.Quote(50);  // from above to below: another exit
    EXPECT_EQ(balloons(), 2);
    s.Quote(150);
    s.Quote(90);
    EXPECT_EQ(balloons(), 3);
    EXPECT_FALSE(s.BalloonPending());

    // Without the alert option the range is left silently.
    s.fileFlags &= ~FILEFLAG_BALLOON;
    s.Quote(150);
    s.Quote(250);
    EXPECT_EQ(balloons(), 3);
}

TEST(ApplyWatchBand, NoAlertWithoutAQuoteAndOnceForAStartOutside) {
    CountingComposer composer;
    IconCache cache(composer);
    RecordingShell shell;
    WatchedStock s;
    s.showMode = 1;
    s.status = STATUS_NONE;
    ASSERT_TRUE(s.SetFirstIcon(nullptr, cache.GetIcon(kIconApplication), "tip"));
    s.Quote(0);  // no quote yet: price 0 is not below the range
    for (const auto& c : shell.calls) EXPECT_FALSE(c.balloon);
    s.status = STATUS_UPDATED;
    s.Quote(300);  // the first quote is outside: one alert
    s.Quote(310);
    int n = 0;
    for (const auto& c : shell.calls) n += c.balloon;
    EXPECT_EQ(n, 1);
}

TEST(ApplyWatchBand, ShowModesFollowTheBand) {
    CountingComposer composer;
    IconCache cache(composer);
    RecordingShell shell;
    WatchedStock s;
    s.fileFlags &= ~FILEFLAG_BALLOON;
    ASSERT_TRUE(s.SetFirstIcon(nullptr, cache.GetIcon(kIconApplication), "tip"));
    s.showMode = 2;  // tray while outside
    s.Quote(150);
    EXPECT_EQ(s.CurrentShow(), SHOW_HIDDEN);
    s.Quote(250);
    EXPECT_EQ(s.CurrentShow(), SHOW_TRAY);
    s.showMode = 3;  // tray while inside
    s.Quote(250);
    EXPECT_EQ(s.CurrentShow(), SHOW_HIDDEN);
    s.Quote(150);
    EXPECT_EQ(s.CurrentShow(), SHOW_TRAY);
    // Desktop modes: this shell makes no desktop windows, so the icon stays in the tray rather
    // than vanish from both places.
    s.showMode = 21;
    s.Quote(250);
    EXPECT_EQ(s.RequestedShow(), SHOW_DESKTOP);
    EXPECT_EQ(s.CurrentShow(), SHOW_TRAY);
    s.Quote(150);
    EXPECT_EQ(s.RequestedShow(), SHOW_HIDDEN);
    // An unknown mode leaves the icon as it is.
    s.showMode = 9;
    s.Quote(250);
    EXPECT_EQ(s.RequestedShow(), SHOW_HIDDEN);
}

// Desktop windows that record what the control asks of them.
struct FakeDesktopWindow : DesktopIconWindow {
    explicit FakeDesktopWindow(std::vector<std::string>& log) : log(log) {}
    ~FakeDesktopWindow() override { log.push_back("destroyed"); }
    void SetOwner(void* owner) override { log.push_back(owner ? "owner" : "no owner"); }
    bool IsVisible() const override { return visible; }
    void ActivateTip() override { log.push_back("tip on"); }
    void UpdateTip() override { log.push_back("tip"); }
    void SetIcon(void* icon) override { log.push_back(icon ? "icon" : "no icon"); }
    void Show() override { visible = true, log.push_back("show"); }
    void Hide() override { visible = false, log.push_back("hide"); }
    void Repaint() override { log.push_back("repaint"); }
    std::vector<std::string>& log;
    bool visible = false;
};

struct DesktopShell : RecordingShell {
    std::unique_ptr<DesktopIconWindow> CreateDesktopWindow(CStockIconCtrl&) override {
        ++made;
        if (refuse) return nullptr;
        return std::make_unique<FakeDesktopWindow>(log);
    }
    std::vector<std::string> log;
    int made = 0;
    bool refuse = false;
};

TEST(CStockIconCtrl, DesktopWindowIsMadeOnFirstUseAndTheTrayLetsGoOnlyThen) {
    CountingComposer composer;
    IconCache cache(composer);
    DesktopShell shell;
    int owner = 0;
    CStockIconCtrl ctrl(90, false);
    ASSERT_TRUE(ctrl.SetFirstIcon(&owner, cache.GetIcon(kIconApplication), "tip"));
    EXPECT_EQ(ctrl.CurrentShow(), SHOW_TRAY);
    EXPECT_EQ(shell.made, 0);

    // A refused window leaves the icon in the tray, and the next show asks again.
    shell.refuse = true;
    EXPECT_FALSE(ctrl.SetShow(SHOW_DESKTOP));
    EXPECT_EQ(ctrl.CurrentShow(), SHOW_TRAY);
    EXPECT_EQ(shell.Ops().back(), TrayOp::Add);
    shell.refuse = false;
    EXPECT_TRUE(ctrl.ShowIconCtrl());
    EXPECT_EQ(shell.made, 2);
    EXPECT_EQ(ctrl.CurrentShow(), SHOW_DESKTOP);
    EXPECT_EQ(shell.Ops().back(), TrayOp::Delete);
    EXPECT_EQ(shell.log, (std::vector<std::string>{"owner", "tip on", "icon", "show"}));

    // Shown again: new icon and a repaint, no second window.
    shell.log.clear();
    EXPECT_TRUE(ctrl.UpdateIcon(cache.GetIcon(kIconVersionUp), "tip 2"));
    EXPECT_EQ(shell.log, (std::vector<std::string>{"tip", "icon", "repaint"}));
    EXPECT_EQ(shell.made, 2);

    // Back to the tray: the window hides and stays for the next time.
    shell.log.clear();
    EXPECT_TRUE(ctrl.SetShow(SHOW_TRAY));
    EXPECT_EQ(ctrl.CurrentShow(), SHOW_TRAY);
    EXPECT_EQ(shell.log, (std::vector<std::string>{"hide"}));
    EXPECT_NE(ctrl.DesktopWindow(), nullptr);
}

TEST(CStockIconCtrl, StockDestroysItsDesktopWindowFirst) {
    CountingComposer composer;
    IconCache cache(composer);
    DesktopShell shell;
    {
        CStockMan stock("7203.t");
        stock.showMode = 20;
        ASSERT_TRUE(stock.SetFirstIcon(nullptr, cache.GetIcon(kIconApplication), "tip"));
        ApplyWatchBand(stock);
        EXPECT_EQ(stock.CurrentShow(), SHOW_DESKTOP);
        shell.log.clear();
    }
    EXPECT_EQ(shell.log, (std::vector<std::string>{"hide", "destroyed"}));
}

TEST(ApplyTotalsIcon, PictureTipAndPlace) {
    CountingComposer composer;
    IconCache cache(composer);
    RecordingShell shell;
    CStockIconCtrl app(1, false);
    TotalsInput in;
    in.value = 1000 * kYen;
    in.change = 10 * kYen;
    in.counted = 2;
    in.portfolioVisible = true;
    TotalsTexts totals = BuildTotals(in, DisplayOptions{});
    ASSERT_TRUE(ApplyTotalsIcon(app, cache, totals));
    EXPECT_EQ(app.CurrentShow(), SHOW_TRAY);
    EXPECT_EQ(app.CacheEntry()->code, totals.appIcon);
    EXPECT_EQ(shell.calls.back().tip, totals.appTip);
    EXPECT_EQ(shell.calls.back().id, 1u);

    // Configured for the desktop, the application icon has no window there: it stays reachable
    // in the notification area.
    in.dispTotal = 20;
    EXPECT_FALSE(ApplyTotalsIcon(app, cache, BuildTotals(in, DisplayOptions{})));
    EXPECT_EQ(app.CurrentShow(), SHOW_TRAY);
    EXPECT_EQ(cache.Size(), 1u);
}

TEST(ReleaseNotice, EachNoticeBalloonsOnceAndReAddsStayQuiet) {
    CountingComposer composer;
    IconCache cache(composer);
    RecordingShell shell;
    auto balloons = [&] {
        int count = 0;
        for (const auto& call : shell.calls) count += call.op != TrayOp::Delete && call.balloon;
        return count;
    };
    CStockIconCtrl versionUp(2, false);
    versionUp.SetShow(SHOW_HIDDEN);
    versionUp.SetFirstIcon(nullptr, cache.GetIcon(kIconVersionUp), "");
    ASSERT_TRUE(ShowReleaseNotice(versionUp, "Quotrix! 2.0\nnew"));
    EXPECT_EQ(versionUp.CurrentShow(), SHOW_TRAY);
    EXPECT_EQ(balloons(), 1);
    EXPECT_FALSE(versionUp.BalloonPending());

    // Explorer restarts: the icon comes back without the balloon.
    ReshowInTray(versionUp);
    EXPECT_EQ(shell.calls.back().op, TrayOp::Add);
    EXPECT_EQ(balloons(), 1);
    versionUp.SetTip("Quotrix! 2.0");
    EXPECT_EQ(balloons(), 1);

    // A second notice while the icon is shown balloons once more; one after the user hid it too.
    ShowReleaseNotice(versionUp, "Quotrix! 2.1\nnew");
    EXPECT_EQ(balloons(), 2);
    versionUp.SetShow(SHOW_HIDDEN);
    ShowReleaseNotice(versionUp, "Quotrix! 2.2\nnew");
    EXPECT_EQ(balloons(), 3);
    EXPECT_EQ(versionUp.CurrentShow(), SHOW_TRAY);
    EXPECT_EQ(shell.calls.back().tip, "Quotrix! 2.2\nnew");
}

}  // namespace
}  // namespace quotrix
