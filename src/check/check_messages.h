// InputCheck: what a part of the start-of-run check found, as lines for
// standard error; only the driver prints them.
#ifndef LINPROB_CHECK_CHECK_MESSAGES_H_
#define LINPROB_CHECK_CHECK_MESSAGES_H_

#include <string>
#include <vector>

namespace linprob {

// Problems that keep the run from starting, and warnings that do not. Each
// is one line for standard error.
struct InputCheck {
  std::vector<std::string> errors;
  std::vector<std::string> warnings;
};
}  // namespace linprob

#endif  // LINPROB_CHECK_CHECK_MESSAGES_H_
