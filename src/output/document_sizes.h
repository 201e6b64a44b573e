// The bytes of the results document in each of its forms, for a run of a
// given shape (run_shape.h): Report/results.json (every array of a system
// up to kFullArraysMost unknowns; above, each system's head without its
// matrix and shares, the solutions' measures and a summary entry per
// table: report_scale.h), the index page with its copy (page_document.h),
// and the pages of their own of the systems the index leaves out, with the
// files they share.
//
// A table counts its field names and its numbers: per band six with the
// certified values (border, VALID, INVALID, exact linear, the truth and its
// bound; three without), one more in sampling (its standard error), and
// about forty besides, eight per point of its convergence; numbers at
// kRoundTripChars and a comma. Which systems the index draws, and which
// of their unknowns keep their full tables there, is worked out as
// choosePageForm does, from the costs it gives a table; where that is
// close, the index is counted with the most systems it may draw and the
// pages of their own with the fewest, so that each estimate stays at or
// above what is written.
#ifndef LINPROB_OUTPUT_DOCUMENT_SIZES_H_
#define LINPROB_OUTPUT_DOCUMENT_SIZES_H_

#include "output/run_shape.h"

namespace linprob {

double resultsJsonBytes(const RunShape& shape);

// Report/index.html: the page's own code and its copy of the document.
double indexPageBytes(const RunShape& shape);

// Report/systems/: every page of its own, and report.js and report.css
// once when there is one; 0 when the index draws every system.
double ownPagesBytes(const RunShape& shape);

// One page of its own, without the files they share; 0 as above.
double ownPageBytes(const RunShape& shape);

}  // namespace linprob

#endif  // LINPROB_OUTPUT_DOCUMENT_SIZES_H_
