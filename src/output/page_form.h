// The forms of the page's copies of the results document (what each is is
// told in output/page_document.h): the index page's, chosen from the whole
// run, and a system's own page's. Each is measured against the page's
// limits through the bytes results_json.h would write of it.
#ifndef LINPROB_OUTPUT_PAGE_FORM_H_
#define LINPROB_OUTPUT_PAGE_FORM_H_

#include "output/page_document.h"
#include "results/result_store.h"

namespace linprob {

// The form of the index page's copy for the run in `store`.
PageForm choosePageForm(const ResultStore& store);

// The form of the copy on the own page of `system`.
PageForm chooseOwnPageForm(const ResultStore& store, int system);

}  // namespace linprob

#endif  // LINPROB_OUTPUT_PAGE_FORM_H_
