// Progress lines on standard output.
//
// Several threads print progress; each line is handed to the C stream in one
// write and flushed, so lines from different threads never mix within a line.
// Nothing here takes a lock of the program's own, so a caller may print while
// holding one of its mutexes.
#ifndef LINPROB_BASE_CONSOLE_H_
#define LINPROB_BASE_CONSOLE_H_

#include <string_view>

namespace linprob {

// Writes `line` and a line end to standard output, then flushes.
void printLine(std::string_view line);

}  // namespace linprob

#endif  // LINPROB_BASE_CONSOLE_H_
