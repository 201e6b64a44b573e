#include "driver/settings.h"

#include <fstream>
#include <string>

namespace linprob {
namespace {

// Reads one label word and one value of type T into `field`. The value goes
// through a temporary so that a failed extraction leaves the default alone.
// Returns false, assigning nothing, when either extraction fails.
template <typename T>
bool readPair(std::istream& in, T& field) {
  std::string label;
  if (!(in >> label)) return false;
  T value{};
  if (!(in >> value)) return false;
  field = value;
  return true;
}

}  // namespace

SettingsReadResult readSettings(const std::string& path,
                                RunSettings& settings) {
  SettingsReadResult result;
  std::ifstream in(path);
  if (!in.is_open()) return result;
  result.fileFound = true;
  // The stream keeps its default flags, so the bool is read only as 0 or 1.
  // Once an extraction fails the stream stays failed, so the options read
  // from the file are always a prefix of the eight; the rest keep defaults.
  for (const SettingSpec& spec : kSettings) {
    const bool read = in && std::visit(
                                [&](auto member) {
                                  return readPair(in, settings.*member);
                                },
                                spec.field);
    if (!read) result.keptDefaults.push_back(spec.name);
  }
  return result;
}

}  // namespace linprob
