// The backdrop TFormSetup: a borderless, maximised form behind every page, owning the setup run
// (TSetupDriver) and giving the driver its pages (ISetupPages).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "uForms.h"
#include "uSetupRun.h"

class TFormSetup final : public TForm, public ISetupPages {
 public:
  // system must outlive the form.
  TFormSetup(std::vector<std::string> args, ISetupSystem& system);
  ~TFormSetup() override;

  TSetupDriver& Driver() { return *SetupDriver; }

  // ISetupPages
  bool ShowLoad(TSetupRun& run, TLoadRequest& request) override;
  void LayoutBackdrop(const TSetupRun& run) override;
  void ShowWelcome(TSetupRun& run) override;
  void ShowDestination(TSetupRun& run) override;
  void ShowLibs(TSetupRun& run) override;
  void ShowCreate(TSetupRun& run) override;
  void ShowAborted(TSetupRun& run) override;
  void ShowErrors(TSetupRun& run) override;
  bool ShowFinish(TSetupRun& run) override;
  void ShowReadme(const std::string& path) override;
  void ShowMessage(const std::string& text) override;
  void ShowErrorMessage(const std::string& text) override;

 private:
  void FormShow();
  void Timer1Timer();

  std::vector<std::string> Args;
  std::unique_ptr<TSetupDriver> SetupDriver;
  TOneShotTimer* Timer1 = nullptr;
};

// The one program-wide reference the pages reach the run through; set while the backdrop lives.
extern TFormSetup* FormSetup;
