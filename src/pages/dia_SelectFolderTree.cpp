#include "dia_SelectFolderTree.h"

#include "uText.h"

namespace {

struct TShellItem {
  std::wstring Name;
  int Icon = 0;
};

TShellItem ShellItemOf(const void* absolutePidl) {
  SHFILEINFOW info{};
  SHGetFileInfoW(static_cast<LPCWSTR>(absolutePidl), 0, &info, sizeof info,
                 SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON | SHGFI_DISPLAYNAME);
  return {info.szDisplayName, info.iIcon};
}

std::optional<std::wstring> FileSystemPath(const void* absolutePidl) {
  wchar_t path[MAX_PATH] = L"";
  if (!SHGetPathFromIDListW(static_cast<LPCITEMIDLIST>(absolutePidl), path) || !*path)
    return std::nullopt;
  return std::wstring(path);
}

// Whether the folder at path is target or one of its ancestors, letters compared without case.
bool PathLeadsTo(std::wstring path, const std::wstring& target) {
  if (path.empty() || path.size() > target.size()) return false;
  if (CompareStringOrdinal(path.c_str(), int(path.size()), target.c_str(), int(path.size()),
                           TRUE) != CSTR_EQUAL)
    return false;
  return path.size() == target.size() || path.back() == L'\\' || target[path.size()] == L'\\';
}

}  // namespace

int CALLBACK TShellFolderTree::CompareInFolder(LPARAM a, LPARAM b, LPARAM folder) {
  const auto* na = reinterpret_cast<const TNode*>(a);
  const auto* nb = reinterpret_cast<const TNode*>(b);
  const HRESULT hr = reinterpret_cast<IShellFolder*>(folder)->CompareIDs(
      0, ILFindLastID(static_cast<LPCITEMIDLIST>(na->Pidl.Get())),
      ILFindLastID(static_cast<LPCITEMIDLIST>(nb->Pidl.Get())));
  return short(HRESULT_CODE(hr));
}

TWindow CreateFolderTreeWindow(TWindow parent, const TControlDef& def, int id) {
  return CreateWindowExW(0, WC_TREEVIEWW, L"",
                         WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASBUTTONS | TVS_HASLINES |
                             TVS_SHOWSELALWAYS | TVS_DISABLEDRAGDROP,
                         def.Left, def.Top, def.Width, def.Height, parent,
                         reinterpret_cast<HMENU>(INT_PTR(id)), GetModuleHandleW(nullptr), nullptr);
}

TShellFolderTree::TShellFolderTree(HWND tree) : Tree(tree) {
  SHFILEINFOW info{};
  const auto images = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoW(L"C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  // The system's image list is shared and never destroyed by the tree.
  SendMessageW(Tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images));
  if (FAILED(SHGetDesktopFolder(Desktop.Put()))) return;
  LPITEMIDLIST root = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, &root)) || !root) return;
  TCoMemory rootPidl(root);
  const TShellItem item = ShellItemOf(root);
  const HTREEITEM rootItem = Insert(TVI_ROOT, std::move(rootPidl), item.Name.c_str(), true);
  Fill(rootItem);
  SendMessageW(Tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(rootItem));
}

TShellFolderTree::~TShellFolderTree() = default;

HTREEITEM TShellFolderTree::Insert(HTREEITEM parent, TCoMemory pidl, const wchar_t* text,
                                   bool hasChildren) {
  const int icon = ShellItemOf(pidl.Get()).Icon;
  Nodes.push_back(std::make_unique<TNode>());
  Nodes.back()->Pidl = std::move(pidl);
  TVINSERTSTRUCTW ins{};
  ins.hParent = parent;
  ins.hInsertAfter = TVI_LAST;
  ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_PARAM;
  ins.item.pszText = const_cast<wchar_t*>(text);
  ins.item.iImage = ins.item.iSelectedImage = icon;
  ins.item.cChildren = hasChildren ? 1 : 0;
  ins.item.lParam = reinterpret_cast<LPARAM>(Nodes.back().get());
  return reinterpret_cast<HTREEITEM>(
      SendMessageW(Tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins)));
}

TShellFolderTree::TNode* TShellFolderTree::NodeOf(HTREEITEM item) const {
  if (!item) return nullptr;
  TVITEMW tv{};
  tv.mask = TVIF_PARAM;
  tv.hItem = item;
  if (!SendMessageW(Tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv))) return nullptr;
  return reinterpret_cast<TNode*>(tv.lParam);
}

void TShellFolderTree::Fill(HTREEITEM item) {
  TNode* node = NodeOf(item);
  if (!node || node->Filled || !Desktop) return;
  node->Filled = true;
  const auto* pidl = static_cast<LPCITEMIDLIST>(node->Pidl.Get());
  TComPtr<IShellFolder> folder;
  bool isDesktop = pidl->mkid.cb == 0;
  if (!isDesktop &&
      FAILED(Desktop->BindToObject(pidl, nullptr, __uuidof(IShellFolder), folder.PutVoid())))
    return;
  IShellFolder* f = isDesktop ? Desktop.Get() : folder.Get();
  TComPtr<IEnumIDList> list;
  std::vector<TCoMemory> children;
  if (f->EnumObjects(nullptr, SHCONTF_FOLDERS, list.Put()) == S_OK && list) {
    LPITEMIDLIST child = nullptr;
    ULONG fetched = 0;
    while (list->Next(1, &child, &fetched) == S_OK && child) {
      TCoMemory owned(child);
      SFGAOF attributes = SFGAO_FOLDER | SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR | SFGAO_STREAM;
      LPCITEMIDLIST one = child;
      if (FAILED(f->GetAttributesOf(1, &one, &attributes))) continue;
      // Folders of the file system and the nodes above them; no archives shown as folders.
      if ((attributes & SFGAO_FOLDER) &&
          (attributes & (SFGAO_FILESYSTEM | SFGAO_FILESYSANCESTOR)) && !(attributes & SFGAO_STREAM))
        children.push_back(std::move(owned));
    }
  }
  for (TCoMemory& child : children) {
    SFGAOF attributes = SFGAO_HASSUBFOLDER;
    LPCITEMIDLIST one = static_cast<LPCITEMIDLIST>(child.Get());
    const bool hasSub =
        SUCCEEDED(f->GetAttributesOf(1, &one, &attributes)) && (attributes & SFGAO_HASSUBFOLDER);
    TCoMemory absolute(ILCombine(pidl, one));
    if (!absolute) continue;
    const TShellItem shown = ShellItemOf(absolute.Get());
    Insert(item, std::move(absolute), shown.Name.c_str(), hasSub);
  }
  // In the order the folder itself gives its items (the shell's own sorting).
  TVSORTCB sort{};
  sort.hParent = item;
  sort.lpfnCompare = &CompareInFolder;
  sort.lParam = reinterpret_cast<LPARAM>(f);
  SendMessageW(Tree, TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort));
  if (children.empty()) {
    TVITEMW tv{};
    tv.mask = TVIF_CHILDREN;
    tv.hItem = item;
    tv.cChildren = 0;
    SendMessageW(Tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
  }
}

bool TShellFolderTree::HandleNotify(const NMHDR& header, LRESULT& result) {
  if (header.hwndFrom != Tree) return false;
  switch (header.code) {
    case TVN_ITEMEXPANDINGW: {
      const auto& tv = reinterpret_cast<const NMTREEVIEWW&>(header);
      if (tv.action & TVE_EXPAND) Fill(tv.itemNew.hItem);
      result = 0;
      return true;
    }
    case NM_RCLICK: {
      // A right click selects the folder under the mouse.
      TVHITTESTINFO hit{};
      GetCursorPos(&hit.pt);
      ScreenToClient(Tree, &hit.pt);
      SendMessageW(Tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
      if (hit.hItem && (hit.flags & TVHT_ONITEM))
        SendMessageW(Tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(hit.hItem));
      result = 1;
      return true;
    }
  }
  return false;
}

bool TShellFolderTree::SelectPath(const std::string& path) {
  if (!Desktop) return false;
  std::wstring wide = Widen(path);
  while (wide.size() > 3 && wide.back() == L'\\') wide.pop_back();
  LPITEMIDLIST parsed = nullptr;
  if (FAILED(Desktop->ParseDisplayName(nullptr, nullptr, wide.data(), nullptr, &parsed, nullptr)) ||
      !parsed)
    return false;
  TCoMemory target(parsed);
  const auto* targetPidl = static_cast<LPCITEMIDLIST>(target.Get());
  const std::wstring targetPath = FileSystemPath(targetPidl).value_or(wide);
  HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageW(Tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
  // Down the tree one level at a time, opening each folder on the way.
  for (int depth = 0; item && depth < 64; ++depth) {
    const TNode* node = NodeOf(item);
    if (!node) return false;
    const auto* pidl = static_cast<LPCITEMIDLIST>(node->Pidl.Get());
    if (depth > 0) {
      const auto at = FileSystemPath(pidl);
      if (ILIsEqual(pidl, targetPidl) ||
          (at &&
           CompareStringOrdinal(at->c_str(), -1, targetPath.c_str(), -1, TRUE) == CSTR_EQUAL)) {
        SendMessageW(Tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
        SendMessageW(Tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
        return true;
      }
    }
    Fill(item);
    SendMessageW(Tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
    HTREEITEM next = nullptr;
    for (HTREEITEM child = reinterpret_cast<HTREEITEM>(
             SendMessageW(Tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
         child && !next; child = reinterpret_cast<HTREEITEM>(SendMessageW(
                             Tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(child)))) {
      const TNode* c = NodeOf(child);
      if (!c) continue;
      const auto* cp = static_cast<LPCITEMIDLIST>(c->Pidl.Get());
      const auto at = FileSystemPath(cp);
      if (ILIsParent(cp, targetPidl, FALSE) || ILIsEqual(cp, targetPidl) ||
          (at && PathLeadsTo(*at, targetPath)))
        next = child;
    }
    item = next;
  }
  return false;
}

std::optional<std::string> TShellFolderTree::SelectedPath() const {
  const auto item = reinterpret_cast<HTREEITEM>(SendMessageW(Tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  const TNode* node = NodeOf(item);
  if (!node) return std::nullopt;
  const auto path = FileSystemPath(node->Pidl.Get());
  if (!path) return std::nullopt;
  return Narrow(*path);
}
