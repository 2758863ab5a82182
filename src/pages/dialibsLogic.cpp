#include "dialibsLogic.h"

namespace {

struct TVariantTexts {
  const char* InstalledDe;
  const char* InstalledEn;
};

const TVariantTexts kVariants[4] = {
    {"Unbekannt", "Unknown"},
    {"Client-Server-Bibliothek", "Client-Server library"},
    {"Client-Server-Bibliothek für Novell Netware", "Client-Server library for Novell Netware"},
    {"Einzelplatz-Bibliothek", "Standalone local pc library"},
};

}  // namespace

std::string InstalledLibraryText(std::uint8_t variant, bool firstInstallation,
                                 std::int32_t language) {
  const bool english = language == 1;
  if (variant == 0 || variant > 3) {
    if (firstInstallation) return english ? "None" : "Keine";
    return english ? kVariants[0].InstalledEn : kVariants[0].InstalledDe;
  }
  return english ? kVariants[variant].InstalledEn : kVariants[variant].InstalledDe;
}

int PreselectedItem(std::uint8_t variant, int requested) {
  if (requested >= 0 && requested <= 3) return requested;
  return variant <= 3 ? variant : 0;
}

std::uint8_t CommittedVariant(int itemIndex) {
  return itemIndex >= 0 && itemIndex <= 3 ? std::uint8_t(itemIndex) : 0;
}
