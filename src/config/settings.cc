#include "config/settings.h"

#include <cctype>
#include <charconv>
#include <cstring>
#include <limits>
#include <string>
#include <system_error>

#include "base/input_file.h"

namespace linprob {
namespace {

// An optionally signed decimal whole number filling the whole token, as
// `value` saturated to the range of long long. False for anything else.
bool parseWhole(const Token& token, bool allowMinus, long long& value) {
  if (token.cut || token.text.empty()) return false;
  const std::string& text = token.text;
  std::size_t k = 0;
  const bool negative = text[0] == '-';
  if (text[0] == '+' || negative) {
    if (negative && !allowMinus) return false;
    ++k;
  }
  if (k == text.size()) return false;
  constexpr long long kMost = std::numeric_limits<long long>::max();
  long long magnitude = 0;
  for (; k < text.size(); ++k) {
    if (text[k] < '0' || text[k] > '9') return false;
    const int digit = text[k] - '0';
    magnitude = magnitude > (kMost - digit) / 10 ? kMost : magnitude * 10 + digit;
  }
  value = negative ? -magnitude : magnitude;
  return true;
}

// Whether a label reads as a number ("4", "-2", "0.5", "1e5"), as in a file
// of values without labels.
bool looksLikeValue(const Token& label) {
  if (label.cut || label.text.empty()) return false;
  const char* first = label.text.data();
  const char* last = first + label.text.size();
  if (*first == '+') ++first;
  if (first == last || !(std::isdigit(static_cast<unsigned char>(*first)) ||
                         *first == '-' || *first == '.')) {
    return false;
  }
  double value = 0.0;
  const auto [end, error] = std::from_chars(first, last, value);
  return end == last && error != std::errc::invalid_argument;
}

template <typename T>
bool fits(long long value) {
  return value >= static_cast<long long>(std::numeric_limits<T>::min()) &&
         value <= static_cast<long long>(std::numeric_limits<T>::max());
}

// Parses one value token for `rule`; assigns the field when the value is
// well formed and fits its type. Returns the problem, or "".
std::string readValue(const SettingRule& rule, const Token& token,
                      RunSettings& settings, std::optional<WrittenValue>& out) {
  long long value = 0;
  const std::string prefix = std::string(rule.name) + " " + quotedToken(token);
  if (const auto unsignedField = std::get_if<unsigned RunSettings::*>(&rule.field)) {
    if (!parseWhole(token, false, value)) {
      return prefix + " is not an unsigned whole number";
    }
    if (fits<unsigned>(value)) {
      settings.**unsignedField = static_cast<unsigned>(value);
    }
  } else if (const auto intField = std::get_if<int RunSettings::*>(&rule.field)) {
    if (!parseWhole(token, true, value)) return prefix + " is not a whole number";
    if (fits<int>(value)) settings.**intField = static_cast<int>(value);
  } else {
    // The numeric form of bool, as formatted extraction reads it: 0 or 1.
    if (!parseWhole(token, true, value) || (value != 0 && value != 1)) {
      return prefix + " is not 0 or 1";
    }
    settings.*std::get<bool RunSettings::*>(rule.field) = value == 1;
  }
  out = WrittenValue{value, token.text};
  return "";
}

}  // namespace

SettingsReadResult readSettings(const std::string& path,
                                RunSettings& settings) {
  SettingsReadResult result;
  auto opened = InputFile::open(path);
  if (!opened.ok()) {
    if (opened.status().code() != StatusCode::kMissing) {
      result.fileFound = true;
      result.errors.push_back(path + ": " + opened.status().message());
    }
    return result;
  }
  result.fileFound = true;
  InputFile& in = opened.value();
  std::string misplaced;
  std::string valueLike;
  bool ended = false;
  for (std::size_t k = 0; k < kSettings.size(); ++k) {
    const SettingRule& rule = kSettings[k];
    Token label;
    Token value;
    if (ended || !in.next(label) || !in.next(value)) {
      ended = true;
      result.unreadOptions.push_back(rule.name);
      continue;
    }
    for (const SettingRule& other : kSettings) {
      if (&other != &rule && !label.cut && label.text == other.name) {
        if (!misplaced.empty()) misplaced += ", ";
        misplaced += label.text + " at the place of " + rule.name;
      }
    }
    if (looksLikeValue(label)) {
      if (!valueLike.empty()) valueLike += ", ";
      valueLike += quotedToken(label) + " as the label of " + rule.name;
    }
    std::string problem = readValue(rule, value, settings, result.written[k]);
    if (!problem.empty()) result.errors.push_back(path + ": " + problem);
  }
  if (!in.readError().ok()) {
    result.errors.push_back(path + ": " + in.readError().message());
  }
  if (!misplaced.empty()) {
    result.labelWarning = path +
                          ": values are read by position; these labels name "
                          "other options: " +
                          misplaced;
  }
  if (!valueLike.empty()) {
    result.valueLabelWarning =
        path + ": labels that look like values: " + valueLike +
        "; every value is read after its label, so a file of values alone "
        "shifts them all";
  }
  return result;
}

}  // namespace linprob
