#include "icons/StockIconCtrl.h"

#include "icons/IconCache.h"
#include "icons/IconShell.h"
#include "log/ErrLog.h"

namespace quotrix {

namespace {

// Until the program installs the real shell, every call fails and icons stay hidden.
class RefusingShell : public IconShell {
  public:
    bool Tray(TrayOp, const TrayIcon&) override { return false; }
};

RefusingShell g_refusingShell;
IconShell* g_shell = &g_refusingShell;

}  // namespace

IconShell& CurrentIconShell() { return *g_shell; }

IconShell* SetIconShell(IconShell* shell) {
    IconShell* previous = g_shell == &g_refusingShell ? nullptr : g_shell;
    g_shell = shell ? shell : &g_refusingShell;
    return previous;
}

CStockIconCtrl::CStockIconCtrl() = default;

CStockIconCtrl::CStockIconCtrl(std::uint32_t trayId, bool createDesktopWindow) : trayId_(trayId) {
    if (!createDesktopWindow) return;
    desktopWnd_ = CurrentIconShell().CreateDesktopWindow(*this);
    if (desktopWnd_) desktopWnd_->ActivateTip();
}

CStockIconCtrl::~CStockIconCtrl() {
    Hide();
    desktopWnd_.reset();
    DropCacheEntry();
}

void CStockIconCtrl::DestroyDesktopWindow() {
    if (currentShow_ == SHOW_DESKTOP) Hide();
    desktopWnd_.reset();
}

void CStockIconCtrl::KeepEntry(IconCacheEntry* entry) { entry->cache->Assign(*this, entry); }

void CStockIconCtrl::DropCacheEntry() {
    if (cacheEntry_) cacheEntry_->cache->Unassign(*this);
    cacheEntry_ = nullptr;
    icon_ = nullptr;
}

void CStockIconCtrl::CacheIconChanged() {
    if (!cacheEntry_) return;
    icon_ = cacheEntry_->icon;
    if (currentShow_ != SHOW_HIDDEN) ShowIconCtrl();
}

void CStockIconCtrl::RefreshDesktopTip() {
    if (desktopWnd_ && desktopWnd_->IsVisible()) desktopWnd_->UpdateTip();
}

bool CStockIconCtrl::SetFirstIcon(void* owner, IconCacheEntry* entry, const std::string& tip) {
    if (currentShow_ != SHOW_HIDDEN) Hide();
    owner_ = owner;
    if (desktopWnd_) desktopWnd_->SetOwner(owner);
    return ApplyTipAndEntry(entry, tip, "SetFirstIcon failure");
}

bool CStockIconCtrl::UpdateIcon(IconCacheEntry* entry, const std::string& tip) {
    return ApplyTipAndEntry(entry, tip, "UpdateIcon failure");
}

bool CStockIconCtrl::ApplyTipAndEntry(IconCacheEntry* entry, const std::string& tip, const char* failure) {
    tip_ = tip;
    RefreshDesktopTip();
    if (!entry) {
        AppLog().Log(LOG_ERR, "%s", failure);
        return false;
    }
    // Held while it works, so that an entry fetched for this call survives until it is kept.
    IconCache& cache = *entry->cache;
    cache.AddRef(*entry);
    const bool shown = ShowIconCtrlK(entry);
    cache.Release(*entry);
    return shown;
}

bool CStockIconCtrl::ShowIconCtrlK(IconCacheEntry* entry) {
    bool shown = false;
    switch (requestedShow_) {
        case SHOW_HIDDEN:
            shown = Hide();
            break;
        case SHOW_TRAY:
            icon_ = entry->icon;
            shown = ShowInTray();
            break;
        case SHOW_DESKTOP:
            icon_ = entry->icon;
            shown = ShowOnDesktop();
            break;
        default:
            AppLog().Log(LOG_ERR, "ShowIconCtrlK: Invalid Show flag: %d", requestedShow_);
            return false;
    }
    KeepEntry(entry);
    return shown;
}

bool CStockIconCtrl::SetShow(std::uint8_t state) {
    if (state == requestedShow_ && !balloon_) return true;
    if (currentShow_ != SHOW_HIDDEN && currentShow_ != SHOW_TRAY && currentShow_ != SHOW_DESKTOP) return false;
    requestedShow_ = state;
    return ShowIconCtrl();
}

bool CStockIconCtrl::ShowIconCtrl() {
    if (!icon_) return false;
    switch (requestedShow_) {
        case SHOW_HIDDEN:
            return Hide();
        case SHOW_TRAY:
            return ShowInTray();
        case SHOW_DESKTOP:
            return ShowOnDesktop();
        default:
            AppLog().Log(LOG_ERR, "ShowIconCtrl: Invalid Show flag: %d", requestedShow_);
            return false;
    }
}

bool CStockIconCtrl::SetTip(const std::string& tip) {
    tip_ = tip;
    RefreshDesktopTip();
    return ShowIconCtrl();
}

bool CStockIconCtrl::Hide() {
    if (currentShow_ == SHOW_TRAY) {
        TrayIcon data;
        data.owner = owner_;
        data.id = trayId_;
        CurrentIconShell().Tray(TrayOp::Delete, data);
    } else if (currentShow_ == SHOW_DESKTOP && desktopWnd_ && desktopWnd_->IsVisible()) {
        desktopWnd_->Hide();
    }
    currentShow_ = SHOW_HIDDEN;
    return true;
}

bool CStockIconCtrl::ShowInTray() {
    if (currentShow_ == SHOW_DESKTOP) Hide();
    IconShell& shell = CurrentIconShell();
    TrayIcon data;
    data.owner = owner_;
    data.id = trayId_;
    data.icon = icon_;
    data.tip = &tip_;
    data.balloon = balloon_ != 0;
    if (currentShow_ == SHOW_TRAY) {
        if (shell.Tray(TrayOp::Modify, data)) return true;
        if (shell.Tray(TrayOp::Add, data)) return true;
    }
    // The shell may have lost the icon (Explorer restarted) or still hold one of ours.
    shell.Tray(TrayOp::Delete, data);
    if (!shell.Tray(TrayOp::Add, data)) return false;
    currentShow_ = SHOW_TRAY;
    return true;
}

bool CStockIconCtrl::ShowOnDesktop() {
    // A window is made the first time the icon goes to the desktop.
    if (!desktopWnd_) {
        desktopWnd_ = CurrentIconShell().CreateDesktopWindow(*this);
        if (desktopWnd_) {
            desktopWnd_->SetOwner(owner_);
            desktopWnd_->ActivateTip();
        }
    }
    // Without a window the icon stays where it is: it must never vanish from both places.
    if (!desktopWnd_) return false;
    if (currentShow_ == SHOW_TRAY) Hide();
    switch (currentShow_) {
        case SHOW_HIDDEN:
            desktopWnd_->SetIcon(icon_);
            desktopWnd_->Show();
            currentShow_ = SHOW_DESKTOP;
            return true;
        case SHOW_DESKTOP:
            desktopWnd_->SetIcon(icon_);
            desktopWnd_->Repaint();
            return true;
        default:
            AppLog().Log(LOG_ERR, "ShowWindow: Invalid Show status");
            return false;
    }
}

}  // namespace quotrix
