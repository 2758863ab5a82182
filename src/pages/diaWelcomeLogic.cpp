#include "diaWelcomeLogic.h"

std::string SetupVersionText() { return std::string("Setup Version: ") + kSetupVersion; }

TCloseDecision PageCloseQuery(TClosingReason reason, std::int32_t pageNo, bool abortWithoutAsking,
                              const std::function<void()>& nextStep,
                              const std::function<bool()>& confirmContinue) {
  switch (reason) {
    case crBack:
      return {true, pageNo - 1};
    case crNext:
      if (nextStep) nextStep();
      return {true, pageNo + 1};
    case crCancel:
      break;
  }
  if (!abortWithoutAsking && confirmContinue && confirmContinue()) return {false, pageNo};
  return {true, 0};
}
