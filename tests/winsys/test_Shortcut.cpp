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
