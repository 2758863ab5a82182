// Installs the Windows versions of the archive's system hooks: window messages run between
// output blocks, the fallback message box is a real one.
#pragma once

void InstallWindowsArchiveHooks();
