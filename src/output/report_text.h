// The texts compiled into the program for the HTML report, each generated at
// build time by embed_text.cmake from its file: the chart library (Chart.js 3
// from Debian's libjs-chart.js) and the page's template, style sheet and
// renderer (src/output/report_page/: report.js, with truth.js for the
// continuous truth and the variance shares), the template of a system's own
// page and the error recorder both templates hold. The style sheet, the scripts
// and the chart library hold no "</script", "</style" or "<!--": the build
// refuses such a file, so each can be placed inside its element as it is.
#ifndef LINPROB_OUTPUT_REPORT_TEXT_H_
#define LINPROB_OUTPUT_REPORT_TEXT_H_

#include <cstddef>
#include <string_view>

namespace linprob {

namespace report_text {
extern const unsigned char chartJs[];
extern const std::size_t chartJsSize;
extern const unsigned char pageHtml[];
extern const std::size_t pageHtmlSize;
extern const unsigned char ownPageHtml[];
extern const std::size_t ownPageHtmlSize;
extern const unsigned char errorRecorderJs[];
extern const std::size_t errorRecorderJsSize;
extern const unsigned char reportCss[];
extern const std::size_t reportCssSize;
extern const unsigned char reportJs[];
extern const std::size_t reportJsSize;
extern const unsigned char truthJs[];
extern const std::size_t truthJsSize;
}  // namespace report_text

inline std::string_view chartLibrarySource() {
  return {reinterpret_cast<const char*>(report_text::chartJs),
          report_text::chartJsSize};
}
inline std::string_view reportPageTemplate() {
  return {reinterpret_cast<const char*>(report_text::pageHtml),
          report_text::pageHtmlSize};
}
inline std::string_view ownPageTemplate() {
  return {reinterpret_cast<const char*>(report_text::ownPageHtml),
          report_text::ownPageHtmlSize};
}
// The script at the top of both pages that records every script error.
inline std::string_view errorRecorder() {
  return {reinterpret_cast<const char*>(report_text::errorRecorderJs),
          report_text::errorRecorderJsSize};
}
inline std::string_view reportStyleSheet() {
  return {reinterpret_cast<const char*>(report_text::reportCss),
          report_text::reportCssSize};
}
inline std::string_view reportRenderer() {
  return {reinterpret_cast<const char*>(report_text::reportJs),
          report_text::reportJsSize};
}

// The page's parts for the continuous truth and the variance shares, which
// the renderer calls (truth.js).
inline std::string_view truthRenderer() {
  return {reinterpret_cast<const char*>(report_text::truthJs),
          report_text::truthJsSize};
}

}  // namespace linprob

#endif  // LINPROB_OUTPUT_REPORT_TEXT_H_
