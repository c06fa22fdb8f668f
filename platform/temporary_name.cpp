// Random names for temporary files. See temporary_name.h.
#include "platform/temporary_name.h"

#include <random>

std::string RandomNameSuffix() {
  static constexpr char kCharacters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device device;
  std::uniform_int_distribution<int> pick(0, static_cast<int>(sizeof kCharacters) - 2);
  std::string suffix(8, '0');
  for (char& c : suffix) c = kCharacters[pick(device)];
  return suffix;
}
