// linprob_sample_report RESULTS.json INDEX.html
// Renders the HTML report of a results document, so that the page can be
// looked at and tested in a browser without a run of the program.
#include <fstream>
#include <iostream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "output/html_report.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: linprob_sample_report RESULTS.json INDEX.html\n";
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::cerr << argv[1] << ": cannot be read\n";
    return 1;
  }
  const std::string json(std::istreambuf_iterator<char>(in), {});
  std::string page;
  try {
    page = linprob::renderHtmlReport(json);
  } catch (const std::invalid_argument& e) {
    std::cerr << argv[1] << ": " << e.what() << "\n";
    return 1;
  }
  std::ofstream out(argv[2], std::ios::binary);
  out << page;
  out.close();
  if (!out) {
    std::cerr << argv[2] << ": cannot be written\n";
    return 1;
  }
  return 0;
}
