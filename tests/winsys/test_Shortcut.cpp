#include <gtest/gtest.h>

#include "class_Shortcut.h"

// Every TFolderID names its shell folder identifier; fidNone and unknown values name none.
TEST(Shortcut, FolderIdentifiers) {
  const int32_t expected[] = {-1, 0, 2, 5, 6, 7, 9, 11, 16, 22, 23, 24, 25};
  for (int id = 0; id < 13; ++id)
    EXPECT_EQ(FolderIdentifier(static_cast<TFolderID>(id)), expected[id]) << id;
  EXPECT_EQ(FolderIdentifier(static_cast<TFolderID>(13)), -1);
  TShortcut shortcut;
  EXPECT_EQ(shortcut.FolderID(), fidNone);
  shortcut.SetFolderID(fidPrograms);
  EXPECT_EQ(shortcut.FolderID(), fidPrograms);
}

// Folder, working directory and link file names as the shell link gets them.
TEST(Shortcut, PathRules) {
  EXPECT_EQ(LinkFolderPath("C:\\Menu", "Kro GmbH"), "C:\\Menu\\Kro GmbH");
  EXPECT_EQ(LinkFolderPath("C:\\Desk", ""), "C:\\Desk\\");
  EXPECT_EQ(LinkFolderPath("", "D:\\Links"), "D:\\Links");
  EXPECT_EQ(LinkFolderPath("", ""), "");

  EXPECT_EQ(WorkingDirectoryOf("C:\\App\\prog.exe"), "C:\\App\\");
  EXPECT_EQ(WorkingDirectoryOf("C:\\KRO\\BIN\\admin.exe"), "C:\\KRO\\BIN\\");
  EXPECT_EQ(WorkingDirectoryOf("C:prog.exe"), "C:");
  EXPECT_EQ(WorkingDirectoryOf("prog.exe"), "");

  EXPECT_EQ(LinkFileName("C:\\Desk\\", "Prog"), "C:\\Desk\\Prog.lnk");
  EXPECT_EQ(LinkFileName("C:\\Menu\\Kro GmbH", "Zeb Admin"), "C:\\Menu\\Kro GmbH\\Zeb Admin.lnk");
}

// A title with characters no file name holds still names a link inside its folder: each of
// them becomes "_", everything else (letters of code page 1252 as UTF-8 included) stays.
TEST(Shortcut, LinkNamesFromAnyTitle) {
  struct {
    const char* title;
    const char* file;
  } cases[] = {
      {"Kro Lohn 2/3", "C:\\D\\Kro Lohn 2_3.lnk"},
      {"A\\B:C*D?E\"F<G>H|I", "C:\\D\\A_B_C_D_E_F_G_H_I.lnk"},
      {"Tab\there", "C:\\D\\Tab_here.lnk"},
      {"Gr\xC3\xB6\xC3\x9F"
       "e (c) 2.0",
       "C:\\D\\Gr\xC3\xB6\xC3\x9F"
       "e (c) 2.0.lnk"},
      {"..\\..\\evil", "C:\\D\\.._.._evil.lnk"},
  };
  for (const auto& c : cases) EXPECT_EQ(LinkFileName("C:\\D", c.title), c.file) << c.title;
}
