// The library page's texts and what it preselects and commits: plain code, tested natively.
#pragma once

#include <cstdint>
#include <string>

// The installed library named under "Zur Zeit installierte Bibliothek:". Variant 0 (and any
// value the list does not know) is "Keine"/"None" for a first installation, else
// "Unbekannt"/"Unknown".
std::string InstalledLibraryText(std::uint8_t variant, bool firstInstallation,
                                 std::int32_t language);

// The item preselected for a detected variant, or for the one asked for on the command line
// (requested 0 to 3, -1 for none): a value outside the list selects "no library" rather than
// leaving the list without a selection.
int PreselectedItem(std::uint8_t variant, int requested = -1);

// The variant Next stores for the list's item index; no selection stores 0, never 255.
std::uint8_t CommittedVariant(int itemIndex);
