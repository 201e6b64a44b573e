// The self-contained HTML report of a run (Report/index.html): one page that
// holds the chart library, the page's own style sheet and renderer, and the
// results document (the content of Report/results.json). The renderer builds
// every table and chart in the browser from that document; the page loads
// nothing from the network. Its links point at the run's other files:
// results.json, bands.csv and unknowns.csv beside it, the summaries and the
// CSV export one folder up.
//
// The document sits in <script type="application/json" id="results"> as
// given, except that "<", ">" and "&" are written \u003c, \u003e and \u0026,
// and U+2028 and U+2029 \u2028 and \u2029. These characters can only occur
// inside JSON strings, where the escapes read back unchanged, so no value can
// end the element or open markup, and JSON.parse of the element's text gives
// the document back. The renderer puts text from the document into the page
// only through textContent and attribute setters.
#ifndef LINPROB_OUTPUT_HTML_REPORT_H_
#define LINPROB_OUTPUT_HTML_REPORT_H_

#include <ostream>
#include <stop_token>
#include <string>

#include <nlohmann/json_fwd.hpp>

namespace linprob {

// Writes the whole page for `resultsJson` to `out`, which must be one JSON
// value; otherwise throws std::invalid_argument("results document: not
// valid JSON"). The document is checked and escaped a piece at a time:
// once `stop` is requested the check gives up, or the writing ends with the
// failure of `out` (an OutputBuffer's stream fails on a stop), and `out` is
// left failed with the page incomplete.
void writeHtmlReport(const std::string& resultsJson, std::ostream& out,
                     const std::stop_token& stop = {});

// The page of one system of its own (Report/systems/system-<index>.html)
// for the copy of the document that holds that system (page_document.h):
// the same page, with the chart library, the renderer and the style sheet
// read from the files kSharedScript and kSharedStyleSheet beside it, which
// every such page shares. Checks, escapes and stops as writeHtmlReport.
void writeOwnPage(const std::string& resultsJson, std::ostream& out,
                  const std::stop_token& stop = {});

// The names the own pages give their shared files, and their contents.
inline constexpr const char* kSharedScript = "report.js";
inline constexpr const char* kSharedStyleSheet = "report.css";
void writeSharedScript(std::ostream& out);
void writeSharedStyleSheet(std::ostream& out);

// The whole page for `resultsJson`, as writeHtmlReport writes it.
std::string renderHtmlReport(const std::string& resultsJson);

// The same for a document already in memory (written with dump()).
std::string renderHtmlReport(const nlohmann::json& results);

// `json` with the escapes above, for placing inside a <script> element.
// Expects valid JSON: outside strings the characters it changes cannot occur.
std::string escapeJsonForScript(const std::string& json);

}  // namespace linprob

#endif  // LINPROB_OUTPUT_HTML_REPORT_H_
