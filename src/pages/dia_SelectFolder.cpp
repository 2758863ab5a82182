#include "dia_SelectFolder.h"

#include "diaPageFrame.h"
#include "dia_SelectFolderLogic.h"
#include "dia_SelectFolderTree.h"
#include "uFileSys.h"
#include "uHandles.h"
#include "uPaths.h"
#include "uText.h"

namespace {

const TXPanelProps kHeaderProps = PlainBand(RgbColor(255, 255, 224));  // light yellow

constexpr int kClientWidth = 426, kClientHeight = 374;

const TControlDef kControls[] = {
    HeaderBand(49, &kHeaderProps),
    TitleLabel("Ordner auswählen"),
    HeaderRule(),
    {.Kind = ckCustom, .Name = "FolderTree", .Align = alClient, .Create = &CreateFolderTreeWindow},
    ButtonBand(37),
    PageButton("BtnOK", kClientWidth - 2 * 75 - 16 - 8, 75, "&OK", &kButtonProps, csAnchorRight),
    PageButton("BtnCancel", kClientWidth - 75 - 16, 75, kCancelCaption, &kButtonProps,
               csAnchorRight),
};

const TTextDef kEnglishTexts[] = {
    {"LabelTitel", "Select folder"},
    kCancelEnglish,
};

const TFormDef kFormSelectFolder{.Name = "FormSelectFolder",
                                 .Caption = "Dialog",
                                 .ClientWidth = kClientWidth,
                                 .ClientHeight = kClientHeight,
                                 .Border = bsSizeToolWin,
                                 .KeyPreview = true,
                                 .Controls = kControls,
                                 .English = kEnglishTexts};

bool IsDirectory(const std::string& path) {
  const DWORD a = GetFileAttributesW(Widen(path).c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

void ChangeToExecutableFolder() {
  if (auto self = fsys::OwnExecutable()) SetCurrentDirectoryW(Widen(FolderPart(*self)).c_str());
}

}  // namespace

std::string SelectFolder(const std::string& initialFolder, std::int32_t language) {
  std::string result = initialFolder;
  {
    TComApartment com(COINIT_APARTMENTTHREADED);  // the shell namespace needs COM
    TForm form(kFormSelectFolder);
    TShellFolderTree tree(form.Control("FolderTree"));
    // The tree's notifications come to the form; the tree object answers them while it lives
    // (the form outlives it and still notifies while its window is destroyed).
    struct TDetach {
      TForm& Form;
      ~TDetach() { Form.OnMessage = nullptr; }
    } detach{form};
    form.OnMessage = [&tree](UINT msg, WPARAM, LPARAM lp, LRESULT& answer) {
      return msg == WM_NOTIFY && tree.HandleNotify(*reinterpret_cast<const NMHDR*>(lp), answer);
    };
    if (!initialFolder.empty() && IsDirectory(initialFolder)) tree.SelectPath(initialFolder);
    auto close = [&form](TPickerKey action) {
      if (action == pkOk) form.ModalResult = mrOk;
      if (action == pkCancel) form.ModalResult = mrCancel;
    };
    form.OnShow = [&] {
      form.SetWindowSize(434, 401);
      form.SetLanguageTexts(language);
      form.SetFocus("FolderTree");
    };
    form.OnClick("BtnOK", [&] { form.ModalResult = mrOk; });
    form.OnClick("BtnCancel", [&] { form.ModalResult = mrCancel; });
    form.OnKeyDown = [&](WORD& key, TShiftState) {
      const TPickerKey action = PickerKeyDown(key);
      if (action == pkPass) return;
      close(action);
      key = 0;
    };
    form.OnKeyPress = [&](wchar_t& key) {
      const TPickerKey action = PickerKeyPress(unsigned(key));
      if (action == pkPass) return;
      close(action);
      key = 0;
    };
    const bool accepted = form.ShowModal() == mrOk;
    result = PickerResult(initialFolder, accepted, accepted ? tree.SelectedPath() : std::nullopt);
  }
  ChangeToExecutableFolder();
  return result;
}
