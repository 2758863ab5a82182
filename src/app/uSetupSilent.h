// The pages of an unattended run (/S): the same driver over pages without a window or a box.
// Each page decides what it would decide if Enter were pressed on it, through the page logic
// the windows use; whatever a person would have read, or would have had to decide, goes into
// the log with the safe answer taken.
#pragma once

#include <string>

#include "diaDestPath.h"
#include "uSetupRun.h"

class TSilentPages final : public ISetupPages {
 public:
  // The log goes through system; dest measures and reloads as the destination page does.
  TSilentPages(ISetupSystem& system, const TDestPathSystem& dest) : System(system), Dest(dest) {}

  bool ShowLoad(TSetupRun& run, TLoadRequest& request) override;
  void LayoutBackdrop(const TSetupRun&) override {}
  void ShowWelcome(TSetupRun& run) override;
  void ShowDestination(TSetupRun& run) override;
  void ShowLibs(TSetupRun& run) override;
  void ShowCreate(TSetupRun& run) override;
  void ShowAborted(TSetupRun&) override {}
  void ShowErrors(TSetupRun&) override {}
  bool ShowFinish(TSetupRun& run) override;
  void ShowReadme(const std::string& path) override;
  void ShowMessage(const std::string& text) override;
  void ShowErrorMessage(const std::string& text) override;

 private:
  ISetupSystem& System;
  const TDestPathSystem& Dest;
};
