#include "output/html_report.h"

#include <algorithm>
#include <functional>
#include <span>
#include <sstream>
#include <stdexcept>
#include <string_view>
#include <utility>

#include <nlohmann/json.hpp>

#include "output/report_text.h"

namespace linprob {
namespace {

// A part of the page: the placeholder "@@NAME@@" of the template and what
// takes its place.
struct Placeholder {
  std::string_view name;
  std::function<void(std::ostream&)> write;
};

// Writes `page` to `out` with each placeholder of the template replaced.
// Every placeholder must occur exactly once; anything else means the
// template and this file disagree.
void fillTemplate(std::string_view page, std::span<const Placeholder> parts,
                  std::ostream& out) {
  for (const Placeholder& part : parts) {
    const std::size_t first = page.find(part.name);
    if (first == std::string_view::npos ||
        page.find(part.name, first + 1) != std::string_view::npos) {
      throw std::logic_error("report page: placeholder " +
                             std::string(part.name) + " not found once");
    }
  }
  std::size_t at = 0;
  while (at < page.size() && out) {
    std::size_t next = std::string_view::npos;
    const Placeholder* found = nullptr;
    for (const Placeholder& part : parts) {
      const std::size_t pos = page.find(part.name, at);
      if (pos < next) {
        next = pos;
        found = &part;
      }
    }
    if (found == nullptr) {
      out << page.substr(at);
      break;
    }
    out << page.substr(at, next - at);
    found->write(out);
    at = next + found->name.size();
  }
}

// Appends the escaped form of json[from, to) to `out`; returns where it
// ended: `to`, or just past it when a character of three bytes began
// before `to`, which is never split.
std::size_t escapeInto(std::string_view json, std::size_t from,
                       std::size_t to, std::string& out) {
  std::size_t i = from;
  for (; i < to; ++i) {
    const char c = json[i];
    if (c == '<') {
      out += "\\u003c";
    } else if (c == '>') {
      out += "\\u003e";
    } else if (c == '&') {
      out += "\\u0026";
    } else if (c == '\xE2' && i + 2 < json.size() && json[i + 1] == '\x80' &&
               (json[i + 2] == '\xA8' || json[i + 2] == '\xA9')) {
      // U+2028 and U+2029 in UTF-8: line terminators to older script parsers.
      out += json[i + 2] == '\xA8' ? "\\u2028" : "\\u2029";
      i += 2;
    } else {
      out += c;
    }
  }
  return i;
}

// Writes the escaped document to `out` a piece at a time, ending early once
// `out` has failed (a stop of the run).
void writeEscaped(std::string_view json, std::ostream& out) {
  constexpr std::size_t kPieceBytes = 64 * 1024;
  std::string piece;
  piece.reserve(kPieceBytes + kPieceBytes / 8);
  for (std::size_t at = 0; at < json.size() && out;) {
    piece.clear();
    at = escapeInto(json, at, std::min(json.size(), at + kPieceBytes), piece);
    out.write(piece.data(), static_cast<std::streamsize>(piece.size()));
  }
}

// A reader of the document that only checks its form, as
// nlohmann::json::accept does, and gives up once `stop` is requested.
class FormCheck {
 public:
  using Json = nlohmann::json;
  explicit FormCheck(const std::stop_token& stop) : stop_(stop) {}

  bool null() { return goOn(); }
  bool boolean(bool) { return goOn(); }
  bool number_integer(Json::number_integer_t) { return goOn(); }
  bool number_unsigned(Json::number_unsigned_t) { return goOn(); }
  bool number_float(Json::number_float_t, const Json::string_t&) {
    return goOn();
  }
  bool string(Json::string_t&) { return goOn(); }
  bool binary(Json::binary_t&) { return goOn(); }
  bool start_object(std::size_t) { return goOn(); }
  bool key(Json::string_t&) { return goOn(); }
  bool end_object() { return goOn(); }
  bool start_array(std::size_t) { return goOn(); }
  bool end_array() { return goOn(); }
  bool parse_error(std::size_t, const std::string&,
                   const nlohmann::detail::exception&) {
    return false;
  }

 private:
  bool goOn() const { return !stop_.stop_requested(); }
  const std::stop_token& stop_;
};

// Whether `resultsJson` is one JSON value, checked a piece at a time;
// throws std::invalid_argument when it is not. False, with `out` failed,
// once `stop` is requested.
bool checkDocument(const std::string& resultsJson, std::ostream& out,
                   const std::stop_token& stop) {
  FormCheck check(stop);
  const bool valid = nlohmann::json::sax_parse(resultsJson.begin(),
                                               resultsJson.end(), &check);
  if (stop.stop_requested()) {
    out.setstate(std::ios::badbit);
    return false;
  }
  if (!valid) throw std::invalid_argument("results document: not valid JSON");
  return true;
}

std::function<void(std::ostream&)> text(std::string_view part) {
  return [part](std::ostream& to) { to << part; };
}

}  // namespace

std::string escapeJsonForScript(const std::string& json) {
  std::string out;
  out.reserve(json.size() + json.size() / 16);
  escapeInto(json, 0, json.size(), out);
  return out;
}

void writeHtmlReport(const std::string& resultsJson, std::ostream& out,
                     const std::stop_token& stop) {
  if (!checkDocument(resultsJson, out, stop)) return;
  const Placeholder parts[] = {
      {"@@REPORT_CSS@@", text(reportStyleSheet())},
      {"@@RECORDER_JS@@", text(errorRecorder())},
      {"@@RESULTS_JSON@@",
       [&](std::ostream& to) { writeEscaped(resultsJson, to); }},
      {"@@CHART_JS@@", text(chartLibrarySource())},
      {"@@TRUTH_JS@@", text(truthRenderer())},
      {"@@REPORT_JS@@", text(reportRenderer())},
  };
  fillTemplate(reportPageTemplate(), parts, out);
}

void writeOwnPage(const std::string& resultsJson, std::ostream& out,
                  const std::stop_token& stop) {
  if (!checkDocument(resultsJson, out, stop)) return;
  const Placeholder parts[] = {
      {"@@RECORDER_JS@@", text(errorRecorder())},
      {"@@RESULTS_JSON@@",
       [&](std::ostream& to) { writeEscaped(resultsJson, to); }},
  };
  fillTemplate(ownPageTemplate(), parts, out);
}

void writeSharedScript(std::ostream& out) {
  // Three programs in one file: each ends its last statement.
  out << chartLibrarySource() << "\n;\n" << truthRenderer() << "\n;\n"
      << reportRenderer();
}

void writeSharedStyleSheet(std::ostream& out) { out << reportStyleSheet(); }

std::string renderHtmlReport(const std::string& resultsJson) {
  std::ostringstream page;
  writeHtmlReport(resultsJson, page);
  return std::move(page).str();
}

std::string renderHtmlReport(const nlohmann::json& results) {
  return renderHtmlReport(results.dump());
}

}  // namespace linprob
