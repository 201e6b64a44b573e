// linprob: probabilistic analysis of square linear systems with an uncertain
// right-hand side. Runs in the current working directory; takes no arguments.
#include "driver/run_driver.h"

int main() { return linprob::runProgram(); }
