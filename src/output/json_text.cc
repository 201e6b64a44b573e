#include "output/json_text.h"

#include <ostream>
#include <string>
#include <cstdint>
#include <variant>

#include "output/number_text.h"

namespace linprob::json_parts {

void writeString(const std::string& text, std::ostream& out) {
  // nlohmann's escaping; bytes that are not UTF-8 become U+FFFD.
  out << Json(text).dump(-1, ' ', false, Json::error_handler_t::replace);
}

// The members of an object without its braces: an object's part of
// writeJson, and the heads of the parts written one at a time.
void writeFields(const Json& object, std::ostream& out) {
  bool first = true;
  for (const auto& [key, element] : object.items()) {
    if (!out) return;  // failed or stopped: the rest would be dropped
    if (!first) out << ',';
    first = false;
    writeString(key, out);
    out << ':';
    writeJson(element, out);
  }
}

void writeJson(const Json& value, std::ostream& out) {
  switch (value.type()) {
    case Json::value_t::boolean:
      out << (value.get<bool>() ? "true" : "false");
      return;
    case Json::value_t::number_integer:
      out << numberText(value.get<std::int64_t>());
      return;
    case Json::value_t::number_unsigned:
      out << numberText(value.get<std::uint64_t>());
      return;
    case Json::value_t::number_float: {
      const std::string text = numberText(value.get<double>());
      out << (text.empty() ? "null" : text);
      return;
    }
    case Json::value_t::string:
      writeString(value.get_ref<const std::string&>(), out);
      return;
    case Json::value_t::array: {
      out << '[';
      bool first = true;
      for (const Json& element : value) {
        if (!out) return;
        if (!first) out << ',';
        first = false;
        writeJson(element, out);
      }
      out << ']';
      return;
    }
    case Json::value_t::object:
      out << '{';
      writeFields(value, out);
      out << '}';
      return;
    default:  // null, and kinds the document never holds
      out << "null";
      return;
  }
}

}  // namespace linprob::json_parts
