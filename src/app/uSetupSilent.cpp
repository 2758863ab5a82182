#include "uSetupSilent.h"

#include "diaCreatorRun.h"
#include "diaFinishRules.h"
#include "diaLoadRun.h"
#include "dialibsLogic.h"

namespace {

void PrepareEngine(TQuillCompress& engine) {
  engine.Abort = false;
  engine.Offset = 0;
  engine.Overwrite = owAlways;
}

}  // namespace

bool TSilentPages::ShowLoad(TSetupRun& run, TLoadRequest& request) {
  TQuillCompress loader;
  PrepareEngine(loader);
  TLoadView view;
  view.Aborted = [&] { ShowMessage(LoadAbortedMessage(run.Language)); };
  RunPreparation(run, request, loader, view);
  ++run.PageNo;
  return true;
}

// Each wizard page commits, then moves on as Next does.
void TSilentPages::ShowWelcome(TSetupRun& run) { ++run.PageNo; }

void TSilentPages::ShowDestination(TSetupRun& run) {
  TDestPathModel model(run.Language, Dest.Separators, Dest.FreeSpace);
  const std::string& wanted = run.Options.Folder;
  if (!wanted.empty()) model.NewFolder = wanted;
  const std::string found = run.AppInfo.DestDir();
  model.Show(found, run.AppInfo.FullInstallation,
             found.empty() ? dkOther : Dest.DriveKind(DriveOf(found)),
             run.AppInfo.ArchiveTotals.TotalSize);
  if (model.Face == dfAbort) {
    ShowMessage(NoPrimaryInstallationMessage(run.Language));
    run.ExitCode = kExitNotStarted;
    run.PageNo = 0;
    return;
  }
  // Moving an installation cuts it off from its data (the change-folder warning): that needs a
  // person, so the found one is updated.
  if (model.Face == dfFound && !wanted.empty())
    System.LogLine("/D= not used: ", "the installation found is updated in place");
  if (!model.NextEnabled) {
    const bool usable = !model.EditPanel || IsUsableDestination(model.EditText);
    System.LogLine(usable ? "not enough free space: " : "no usable folder: ", model.EditText);
    System.LogLine("space needed: ", model.NeedText);
    System.LogLine("space free: ", model.FreeText);
    run.ExitCode = kExitNotStarted;
    run.PageNo = 0;
    return;
  }
  run.FreeBytes = model.FreeSpace;
  CommitDestination(model, run.AppInfo.Destination, Dest.LoadZebConfig);
  ++run.PageNo;
}

void TSilentPages::ShowLibs(TSetupRun& run) {
  run.AppInfo.LibVariant =
      CommittedVariant(PreselectedItem(run.AppInfo.LibVariant, run.Options.Library));
  ++run.PageNo;
}

void TSilentPages::ShowCreate(TSetupRun& run) {
  TQuillCompress creator;
  PrepareEngine(creator);
  TCreatorView view;
  view.ShowError = [this](const std::string& message) { ShowErrorMessage(message); };
  view.SystemText = SystemErrorMessage;
  run.InstallFailed = RunInstallation(run, run.AppInfo.DestDir(), creator, view);
  ++run.PageNo;
}

bool TSilentPages::ShowFinish(TSetupRun& run) {
  const TFinishFace face = FinishFace(run.AppInfo.FullInstallation, run.RebootRequired);
  run.RebootNow = RebootNowOnClose(run.RebootRequired, !run.Options.NoRestart, run.RebootNow);
  if (run.RebootRequired && !run.RebootNow) System.LogLine("restart: ", "not now (/NORESTART)");
  const bool shortcuts = run.Options.Shortcuts && face.ShortcutEnabled;
  if (run.Options.Shortcuts && !shortcuts)
    System.LogLine("/SHORTCUTS not used: ", "the description makes no full installation");
  return shortcuts;
}

void TSilentPages::ShowReadme(const std::string& path) {
  System.LogLine("readme not shown: ", path);
}

void TSilentPages::ShowMessage(const std::string& text) { System.LogLine("message: ", text); }

void TSilentPages::ShowErrorMessage(const std::string& text) { System.LogLine("error: ", text); }
