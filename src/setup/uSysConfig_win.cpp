// The shortcuts after a successful installation, through the shell.
#include "class_Shortcut.h"
#include "uSysConfig.h"

int CreateShortcuts(const TApplicationInfo& info) {
  int made = 0;
  TShortcut shortcut;
  for (const TShortcutRow& row : ShortcutRows(info)) {
    shortcut.SetFolderID(row.FolderID);
    shortcut.Folder = row.Folder;
    shortcut.Target = row.Target;
    shortcut.Description = row.Description;
    if (shortcut.CreateShortcut()) ++made;
  }
  return made;
}
