// The interval type of the deterministic pass: a closed interval of doubles
// whose every operation rounds outward and which refuses to create an empty
// interval ("boost::interval: empty interval created", a std::runtime_error).
//
// save_state restores the caller's rounding mode after every interval
// operation, so the plain double arithmetic around it keeps round-to-nearest.
#ifndef LINPROB_LINEAR_INTERVAL_H_
#define LINPROB_LINEAR_INTERVAL_H_

#include <boost/numeric/interval.hpp>

namespace linprob {

using Interval = boost::numeric::interval<
    double, boost::numeric::interval_lib::policies<
                boost::numeric::interval_lib::save_state<
                    boost::numeric::interval_lib::rounded_math<double>>,
                boost::numeric::interval_lib::checking_strict<double>>>;

}  // namespace linprob

#endif  // LINPROB_LINEAR_INTERVAL_H_
