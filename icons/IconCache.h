// The composed icons shared by all icon controls: at most one entry per IconCode, counted by its
// users, so that many stocks with the same arrow, mark and frame share one HICON.
//
// Ownership: the main window owns the cache; the cache owns every entry and its HICON, which it
// destroys through the composer when the last user goes. Main thread only.
#pragma once

#include <cstdint>
#include <list>
#include <vector>

#include "icons/StockIcon.h"

namespace quotrix {

class CStockIconCtrl;
class IconCache;

// Makes the icon of a code from the icon image list (Windows: ImageList_Merge/ImageList_GetIcon).
class IconComposer {
  public:
    virtual ~IconComposer() = default;
    // A new icon handle, or null (the composer logs why).
    virtual void* Compose(IconCode code) = 0;
    virtual void Destroy(void* icon) = 0;
};

struct IconCacheEntry {
    void* icon = nullptr;  // HICON, owned by the cache
    IconCode code = 0;
    std::uint32_t users = 0;
    IconCache* cache = nullptr;
};

class IconCache {
  public:
    explicit IconCache(IconComposer& composer) : composer_(&composer) {}
    IconCache(const IconCache&) = delete;
    IconCache& operator=(const IconCache&) = delete;
    ~IconCache();

    // The entry for `code`, composed and inserted (with no users) when absent. When composing
    // fails: the application image's entry when the cache holds one, else null.
    IconCacheEntry* GetIcon(IconCode code);
    // Recomposes every entry from the composer's (new) images and hands the new icons to the
    // controls that show them. False when an entry could not be recomposed (it keeps its icon).
    bool Rebuild();
    void Remove(IconCode code);
    // Destroys every icon; the controls still holding entries are told to let go first.
    void Clear();

    // Sharing: a control takes an entry (raising its count, releasing the one it had) ...
    void Assign(CStockIconCtrl& ctrl, IconCacheEntry* entry);
    // ... and gives it back; the last user destroys the entry.
    void Unassign(CStockIconCtrl& ctrl);
    void AddRef(IconCacheEntry& entry) { ++entry.users; }
    void Release(IconCacheEntry& entry);

    const IconCacheEntry* Find(IconCode code) const;
    std::size_t Size() const { return entries_.size(); }
    std::size_t Controls() const { return controls_.size(); }

  private:
    IconCacheEntry* FindEntry(IconCode code);

    IconComposer* composer_;
    std::list<IconCacheEntry> entries_;      // stable addresses: controls point at entries
    std::vector<CStockIconCtrl*> controls_;  // the controls that hold an entry
};

}  // namespace quotrix
