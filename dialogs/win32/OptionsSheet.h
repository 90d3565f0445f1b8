// The options dialog "オプション": nine pages over the models of dialogs/OptionsModel.h, the
// proxy and arrow skin dialogs, and the sheet of the four stock pages on the defaults for new
// stocks.
//
// UI thread only. The sheet is modal; `live` (the main window's state) must outlive Run. Each
// page loads its model from `live` when its window is created and stores into `live` on Apply and
// OK; after the last created page has stored, services.applied tells the main window.
#pragma once

#include <windows.h>
// After windows.h.
#include <commctrl.h>

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "dialogs/OptionsModel.h"
#include "platform/win32/ui/PropertySheet.h"
#include "resources/resource.h"

namespace quotrix {

struct OptionsServices {
    bool fileOpen = false;  // a stock file is open (its header block can keep the item flags)
    HINSTANCE resources = nullptr;
    // "移動(&I)": the portfolio and the desktop icons back onto the screen.
    std::function<void()> moveOnScreen;
    // "設定(&S)...": the stock pages on the defaults for new stocks, modal over `owner`.
    std::function<void(HWND owner)> editStockDefaults;
    // Every created page stored into `live` (Apply or OK): the running program follows.
    std::function<void(bool closing)> applied;
    std::string skinSite;  // the design files' download page
};

class COptionsSheet;

// A page of the options: its model and its table of check boxes, moved by the base.
class COptPage : public CPropertyPage {
  public:
    COptPage(UINT templateId, int pageNumber, std::span<const FlagBox> boxes)
        : CPropertyPage(templateId), pageNumber_(pageNumber), boxes_(boxes) {}
    bool Created() const { return created_; }

  protected:
    COptionsSheet& Options() const;
    OptionsState& Live() const;
    const OptionsServices& Services() const;

    BOOL OnInitDialog() final;
    bool OnApply(bool closing) final;
    BOOL OnCommand(UINT id, UINT code, HWND control) final;

    // The page's own parts.
    virtual void Load() = 0;   // the model from Live()
    virtual void Init() {}     // fill lists
    virtual void Show() = 0;   // the model's values into the controls (inside Loading)
    virtual void Store() = 0;  // the model into Live()
    virtual OptionsState& Work() = 0;
    virtual BOOL Command(UINT id, UINT code) { return FALSE; }
    virtual void BoxChanged() {}

    void ShowBoxes();
    // A refused entry: the message, then the focus in box `id`.
    void Refuse(int id, const std::string& message);
    // True without a problem; else refuses the entry in box `id` and answers false.
    bool Accept(const std::optional<InputProblem>& problem, int id);
    void Refresh() {
        Loading loading(*this);
        ShowBoxes();
        Show();
    }

  private:
    int pageNumber_;
    std::span<const FlagBox> boxes_;
    bool created_ = false;
};

// Page `kNumber` (dialog template `kDialog`) over the options model `Model`: loads it from and
// stores it into Live(); its check boxes are the model's table.
template <class Model, UINT kDialog, int kNumber>
class COptModelPage : public COptPage {
  public:
    COptModelPage() : COptPage(kDialog, kNumber, Model::Boxes()) {}

  protected:
    void Load() override { model_.Load(Live()); }
    // A page left by OK without leaving it was read by its kill-active already.
    void Store() override { model_.Store(Live()); }
    OptionsState& Work() override { return model_.work; }

    Model model_;
};

// The display-item model also learns whether a file is open (the file can keep its item flags).
template <>
void COptModelPage<OptDispItemModel, IDD_OPT_DISPITEM, 3>::Load();

class COptCheckPage : public COptModelPage<OptCheckModel, IDD_OPT_CHECK, 1> {
  protected:
    void Init() override;
    void Show() override;
    bool OnKillActive() override;
    BOOL Command(UINT id, UINT code) override;
    void BoxChanged() override;
    BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};

class COptLinkPage : public COptModelPage<OptLinkModel, IDD_OPT_LINK, 2> {
  protected:
    void Init() override;
    void Show() override;
    BOOL Command(UINT id, UINT code) override;
};

class COptDispItemPage : public COptModelPage<OptDispItemModel, IDD_OPT_DISPITEM, 3> {
  protected:
    void Init() override;
    void Show() override;
    BOOL Command(UINT id, UINT code) override;
    void BoxChanged() override;
    BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  private:
    void FillLists();
};

class COptFormPage : public COptModelPage<OptFormModel, IDD_OPT_FORM, 4> {
  protected:
    void Show() override;
    bool OnKillActive() override;
    BOOL Command(UINT id, UINT code) override;
};

class COptIconPage : public COptModelPage<OptIconModel, IDD_OPT_ICON, 5> {
  protected:
    void Show() override;
    bool OnKillActive() override;
    BOOL Command(UINT id, UINT code) override;
    BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  private:
    bool ReadSteps();
};

class COptStockPage : public COptModelPage<OptDesktopModel, IDD_OPT_DESKTOP, 6> {
  protected:
    void Show() override;
    BOOL Command(UINT id, UINT code) override;
    void BoxChanged() override;
    BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  private:
    void PickFont();
};

class COptPortfolioPage : public COptModelPage<OptPortfolioModel, IDD_OPT_PORTFOLIO, 7> {
  protected:
    void Init() override;
    void Show() override;
    bool OnKillActive() override;
    BOOL Command(UINT id, UINT code) override;
    BOOL OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};

class COptOtherPage : public COptModelPage<OptOtherModel, IDD_OPT_OTHER, 8> {
  protected:
    void Show() override;
    BOOL Command(UINT id, UINT code) override;
    void BoxChanged() override { Show(); }
};

class COptDetailPage : public COptModelPage<OptDetailModel, IDD_OPT_DETAIL, 9> {
  protected:
    void Init() override;
    void Show() override;
    void Store() override;
    bool OnKillActive() override;
    BOOL Command(UINT id, UINT code) override;
    void BoxChanged() override;

  private:
    void ReadTexts();
};

class COptionsSheet : public CCenterPropertySheet {
  public:
    COptionsSheet(OptionsState& live, const OptionsServices& services);

    // Runs the sheet at `startPage` (0 to 8; 8 adds the advanced page first). True on OK.
    bool Run(HWND owner, int startPage);
    // "高度な設定(&D) >>": adds the advanced page once and shows it.
    void AddDetailPage();
    bool DetailAdded() const { return detailAdded_; }

    OptionsState& live;
    const OptionsServices& services;

  protected:
    bool OnSheetMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

  private:
    friend class COptPage;
    // A page stored itself; after the last created page the main window is told.
    void PageStored(const COptPage& page, bool closing);

    COptCheckPage check_;
    COptLinkPage link_;
    COptDispItemPage items_;
    COptFormPage form_;
    COptIconPage icon_;
    COptStockPage desktop_;
    COptPortfolioPage portfolio_;
    COptOtherPage other_;
    COptDetailPage detail_;
    bool detailAdded_ = false;
    // The box of a refused entry: it gets the focus back when the sheet is activated again
    // after the message (activation may come after the page has set the focus).
    HWND pendingFocus_ = nullptr;
};

}  // namespace quotrix
