// JSON text as results.json and the page's copy of it are written: members
// in the order they were added, numbers as number_text.h writes them (the
// shortest text that reads back as the same double), strings escaped by
// nlohmann (bytes that are not UTF-8 become U+FFFD). A failed or stopped
// stream ends the writing early.
#ifndef LINPROB_OUTPUT_JSON_TEXT_H_
#define LINPROB_OUTPUT_JSON_TEXT_H_

#include <ostream>
#include <string>

#include <nlohmann/json.hpp>

namespace linprob::json_parts {

using Json = nlohmann::ordered_json;

void writeString(const std::string& text, std::ostream& out);
// The members of an object without its braces: an object's part of
// writeJson, and the heads of the parts written one at a time.
void writeFields(const Json& object, std::ostream& out);
void writeJson(const Json& value, std::ostream& out);

}  // namespace linprob::json_parts

#endif  // LINPROB_OUTPUT_JSON_TEXT_H_
