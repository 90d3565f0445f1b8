// The four pages of the wizard: start, codes, save location and finish. Each moves values between
// its controls and the portable rules (wizard/WizardRules.h) and hands its result to the
// application object. UI thread only.
#pragma once

#include <string>

#include "wizard/WizardRules.h"
#include "wizard/win32/WizardPage.h"

namespace quotrix {

class CEnlistorApp;

class CStartStockRegPage : public CWizardPage {
  public:
    CStartStockRegPage();

  protected:
    void OnInitDialog() override;
    void OnSetActive() override;
};

class CAddStockPage : public CWizardPage {
  public:
    explicit CAddStockPage(CEnlistorApp& app);

  protected:
    void OnSetActive() override;
    bool OnWizardNext() override;
    bool OnCommand(int id, int code) override;

  private:
    void UpdateButtons();
    void OpenLookupPage();

    CEnlistorApp& app_;
    std::string codeText_;
    std::string keyword_;
};

class CSelFolderPage : public CWizardPage {
  public:
    explicit CSelFolderPage(CEnlistorApp& app);

  protected:
    void OnInitDialog() override;
    void OnSetActive() override;
    bool OnWizardNext() override;
    bool OnCommand(int id, int code) override;

  private:
    void ShowMode();
    void Browse();

    CEnlistorApp& app_;
    SaveLocation location_;
    bool filling_ = false;  // set while the page writes its own boxes: their changes are not the user's
};

class CStockFinalPage : public CWizardPage {
  public:
    explicit CStockFinalPage(CEnlistorApp& app);

  protected:
    void OnInitDialog() override;
    void OnSetActive() override;
    bool OnWizardFinish() override;
    bool OnCommand(int id, int code) override;

  private:
    void HideNotice();
    void Register();

    CEnlistorApp& app_;
};

}  // namespace quotrix
