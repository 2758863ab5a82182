// The run's log (/LOG=): UTF-8 lines, each written through to the file as it comes, so that a
// run that ends abruptly (a restart, a kill by the distribution tool) still leaves what it did.
// A log that cannot be created or written is dropped without a word: it never stops an
// installation.
#pragma once

#include <string>
#include <string_view>

// Creates the file (replacing an older log); false when it cannot, and the run goes on unlogged.
bool OpenSetupLog(const std::string& path);
// One line of key and value, CR LF added; nothing without an open log.
void SetupLogLine(std::string_view key, std::string_view value = {});
