// The readme viewer TSetupDialogReadme: the product's update information after a successful
// installation, rich text or plain text, in a window of two thirds of the screen, printable as
// one job. Its texts are German in both languages.
#pragma once

#include <string>

// Creates the viewer, shows path (a Windows path, shown as given) modally and releases it. A
// file that cannot be read is reported through the application's error display and the viewer
// opens anyway.
void ShowReadme(const std::string& path);

// The print job's title.
inline constexpr const char* kReadmeJobTitle = "Kro Update-Information";
