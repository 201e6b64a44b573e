#include "output/html_report.h"

#include <stdexcept>
#include <string_view>

#include <nlohmann/json.hpp>

#include "output/report_text.h"

namespace linprob {
namespace {

// Appends `page` to `out` with each placeholder "@@NAME@@" of the template
// replaced by its text. Every placeholder must occur exactly once; anything
// else means the template and this file disagree.
struct Placeholder {
  std::string_view name;
  std::string_view text;
};

void fillTemplate(std::string_view page, const Placeholder (&parts)[5],
                  std::string& out) {
  for (const Placeholder& part : parts) {
    const std::size_t first = page.find(part.name);
    if (first == std::string_view::npos ||
        page.find(part.name, first + 1) != std::string_view::npos) {
      throw std::logic_error("report page: placeholder " +
                             std::string(part.name) + " not found once");
    }
  }
  std::size_t at = 0;
  while (at < page.size()) {
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
      out.append(page.substr(at));
      break;
    }
    out.append(page.substr(at, next - at));
    out.append(found->text);
    at = next + found->name.size();
  }
}

}  // namespace

std::string escapeJsonForScript(const std::string& json) {
  std::string out;
  out.reserve(json.size() + json.size() / 16);
  for (std::size_t i = 0; i < json.size(); ++i) {
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
  return out;
}

std::string renderHtmlReport(const std::string& resultsJson) {
  if (!nlohmann::json::accept(resultsJson)) {
    throw std::invalid_argument("results document: not valid JSON");
  }
  const std::string escaped = escapeJsonForScript(resultsJson);
  const Placeholder parts[5] = {
      {"@@REPORT_CSS@@", reportStyleSheet()},
      {"@@RESULTS_JSON@@", escaped},
      {"@@CHART_JS@@", chartLibrarySource()},
      {"@@TRUTH_JS@@", truthRenderer()},
      {"@@REPORT_JS@@", reportRenderer()},
  };
  std::string page;
  page.reserve(reportPageTemplate().size() + escaped.size() +
               chartLibrarySource().size() + reportStyleSheet().size() +
               truthRenderer().size() + reportRenderer().size());
  fillTemplate(reportPageTemplate(), parts, page);
  return page;
}

std::string renderHtmlReport(const nlohmann::json& results) {
  return renderHtmlReport(results.dump());
}

}  // namespace linprob
