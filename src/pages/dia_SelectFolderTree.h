// The shell folder tree of the picker: the folders of the shell namespace rooted at the desktop,
// with the shell's icons, filled lazily as the user opens them. Only folders that are part of
// the file system or lead to it are shown.
#pragma once

#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "uFormDefs.h"
#include "uHandles.h"

class TShellFolderTree {
 public:
  // Takes over a tree-view window (made by CreateFolderTreeWindow) and fills its root.
  explicit TShellFolderTree(HWND tree);
  ~TShellFolderTree();
  TShellFolderTree(const TShellFolderTree&) = delete;
  TShellFolderTree& operator=(const TShellFolderTree&) = delete;

  // Notifications of the tree window sent to its parent; true when handled.
  bool HandleNotify(const NMHDR& header, LRESULT& result);
  // Selects the folder with this path, opening its ancestors; false when the shell does not
  // know it or the tree does not reach it.
  bool SelectPath(const std::string& path);
  // The file-system path of the selected folder; nothing when none is selected or it has none.
  std::optional<std::string> SelectedPath() const;

 private:
  struct TNode {
    TCoMemory Pidl;  // absolute
    bool Filled = false;
  };
  HTREEITEM Insert(HTREEITEM parent, TCoMemory pidl, const wchar_t* text, bool hasChildren);
  void Fill(HTREEITEM item);
  TNode* NodeOf(HTREEITEM item) const;
  // Tree-view sort callback: two nodes of one folder, in that folder's order.
  static int CALLBACK CompareInFolder(LPARAM a, LPARAM b, LPARAM folder);

  HWND Tree;
  TComPtr<IShellFolder> Desktop;
  std::vector<std::unique_ptr<TNode>> Nodes;
};

// The tree-view window for a table row: folders with buttons and lines, selection kept
// visible without the focus, no border.
TWindow CreateFolderTreeWindow(TWindow parent, const TControlDef& def, int id);
