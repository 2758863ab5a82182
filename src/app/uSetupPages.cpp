// The backdrop's side of the page protocol: each page is created, shown modally and released
// by its module; the backdrop only hands it the run.
#include "diaAborted.h"
#include "diaCancel.h"
#include "diaCreator.h"
#include "diaDestPath.h"
#include "diaErrors.h"
#include "diaFinish.h"
#include "diaLoad.h"
#include "diaReadme.h"
#include "diaWelcome.h"
#include "dialibs.h"
#include "uSetup.h"

namespace {

TConfirmContinue AskInLanguageOf(const TSetupRun& run) {
  return [&run] { return ConfirmContinue(run.Language); };
}

}  // namespace

bool TFormSetup::ShowLoad(TSetupRun& run, TLoadRequest& request) {
  return ShowLoadDialog(run, request, AskInLanguageOf(run));
}

void TFormSetup::ShowWelcome(TSetupRun& run) { ::ShowWelcome(run); }
void TFormSetup::ShowDestination(TSetupRun& run) { ::ShowDestination(run); }
void TFormSetup::ShowLibs(TSetupRun& run) { ::ShowLibs(run); }
void TFormSetup::ShowCreate(TSetupRun& run) { ::ShowCreate(run, AskInLanguageOf(run)); }
void TFormSetup::ShowAborted(TSetupRun& run) { ::ShowAborted(run); }
void TFormSetup::ShowErrors(TSetupRun& run) { ::ShowErrors(run); }
bool TFormSetup::ShowFinish(TSetupRun& run) { return ::ShowFinish(run); }
void TFormSetup::ShowReadme(const std::string& path) { ::ShowReadme(path); }
