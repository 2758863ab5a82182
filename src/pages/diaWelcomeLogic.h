// The decisions every wizard page shares (closing reason, close query) and the welcome page's
// own: plain code, tested natively.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

inline constexpr const char* kSetupVersion = "2.02";

// "Setup Version: 2.02": the welcome page shows it in both languages.
std::string SetupVersionText();

enum TClosingReason : std::uint8_t { crBack = 0, crNext = 1, crCancel = 2 };

struct TCloseDecision {
  bool Close = false;
  std::int32_t PageNo = 0;
};

// The close query of a wizard page. Back: PageNo - 1. Next: nextStep (the page's commit, may be
// empty), then PageNo + 1. Cancel: confirmContinue, unless abortWithoutAsking; continuing keeps
// the page open with PageNo untouched, aborting gives PageNo 0.
TCloseDecision PageCloseQuery(TClosingReason reason, std::int32_t pageNo, bool abortWithoutAsking,
                              const std::function<void()>& nextStep,
                              const std::function<bool()>& confirmContinue);
