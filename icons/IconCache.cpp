#include "icons/IconCache.h"

#include <algorithm>
#include <new>

#include "icons/StockIconCtrl.h"
#include "log/ErrLog.h"

namespace quotrix {

IconCache::~IconCache() { Clear(); }

IconCacheEntry* IconCache::FindEntry(IconCode code) {
    for (auto& entry : entries_)
        if (entry.code == code) return &entry;
    return nullptr;
}

const IconCacheEntry* IconCache::Find(IconCode code) const {
    for (const auto& entry : entries_)
        if (entry.code == code) return &entry;
    return nullptr;
}

IconCacheEntry* IconCache::GetIcon(IconCode code) {
    if (IconCacheEntry* found = FindEntry(code)) return found;
    void* icon = composer_->Compose(code);
    if (!icon) return code == kIconApplication ? nullptr : FindEntry(kIconApplication);
    try {
        entries_.push_back(IconCacheEntry{icon, code, 0, this});
    } catch (const std::bad_alloc&) {
        composer_->Destroy(icon);
        AppLog().Log(LOG_ERR, "MEMORY ERROR in GetIcon");
        return nullptr;
    }
    return &entries_.back();
}

bool IconCache::Rebuild() {
    bool all = true;
    for (auto& entry : entries_) {
        void* icon = composer_->Compose(entry.code);
        if (!icon) {
            all = false;
            continue;
        }
        composer_->Destroy(entry.icon);
        entry.icon = icon;
    }
    // Copied: a control that re-shows itself must not change the list under the loop.
    const std::vector<CStockIconCtrl*> controls = controls_;
    for (CStockIconCtrl* ctrl : controls) ctrl->CacheIconChanged();
    return all;
}

void IconCache::Remove(IconCode code) {
    auto it = std::find_if(entries_.begin(), entries_.end(), [&](const IconCacheEntry& e) { return e.code == code; });
    if (it == entries_.end()) return;
    const std::vector<CStockIconCtrl*> controls = controls_;
    for (CStockIconCtrl* ctrl : controls)
        if (ctrl->CacheEntry() == &*it) ctrl->DropCacheEntry();
    // Dropping the last user may already have removed it.
    it = std::find_if(entries_.begin(), entries_.end(), [&](const IconCacheEntry& e) { return e.code == code; });
    if (it == entries_.end()) return;
    composer_->Destroy(it->icon);
    entries_.erase(it);
}

void IconCache::Clear() {
    const std::vector<CStockIconCtrl*> controls = controls_;
    for (CStockIconCtrl* ctrl : controls) ctrl->DropCacheEntry();
    controls_.clear();
    for (auto& entry : entries_) composer_->Destroy(entry.icon);
    entries_.clear();
}

void IconCache::Assign(CStockIconCtrl& ctrl, IconCacheEntry* entry) {
    IconCacheEntry* previous = ctrl.cacheEntry_;
    if (previous && previous->cache != this) {
        previous->cache->Unassign(ctrl);
        previous = nullptr;
    }
    // Raise the new count before the old one falls: both may be the same entry.
    if (entry) ++entry->users;
    ctrl.cacheEntry_ = entry;
    ctrl.icon_ = entry ? entry->icon : nullptr;
    const bool registered = std::find(controls_.begin(), controls_.end(), &ctrl) != controls_.end();
    if (entry && !registered) controls_.push_back(&ctrl);
    if (!entry && registered) controls_.erase(std::find(controls_.begin(), controls_.end(), &ctrl));
    if (previous) previous->cache->Release(*previous);
}

void IconCache::Unassign(CStockIconCtrl& ctrl) { Assign(ctrl, nullptr); }

void IconCache::Release(IconCacheEntry& entry) {
    if (entry.users >= 2) {
        --entry.users;
        return;
    }
    composer_->Destroy(entry.icon);
    entries_.remove_if([&](const IconCacheEntry& e) { return &e == &entry; });
}

}  // namespace quotrix
