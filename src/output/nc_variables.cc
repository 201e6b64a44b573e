#include "output/nc_variables.h"

#include <array>

namespace linprob {
namespace {

constexpr std::string_view kX = "units of x";
constexpr std::string_view kB = "units of b";
constexpr std::string_view kPure = "1";

constexpr std::array kTexts = {
    // Coordinates and the system's own arrays.
    VariableText{"system", "index i of the system's folder Matrix<i>/", kPure},
    VariableText{"mode", "pivoting mode", ""},
    VariableText{"family", "distribution family of the right-hand side", ""},
    VariableText{"unknown", "input index of the unknown x_i", kPure},
    VariableText{"entry", "index j of the right-hand-side entry b_j", kPure},
    VariableText{"band", "histogram band k (1 ... K of the table)", kPure},
    VariableText{"border", "histogram border b_k (0 = Min ... K)", kPure},
    VariableText{"batch", "batches of the phase behind a running estimate", kPure},
    VariableText{"round", "round of a --digits phase (1 = the first tried)", kPure},
    VariableText{"folder", "the system's folder", ""},
    VariableText{"rhs", "right-hand side as read (RealRHS.txt)", kB},
    VariableText{"interval_rhs_lower", "lower end of the interval right-hand side (IntRHS.txt)", kB},
    VariableText{"interval_rhs_upper", "upper end of the interval right-hand side (IntRHS.txt)", kB},
    VariableText{"true_solution", "certified solution A^-1 b, rounded to nearest", kX},
    VariableText{"exact_hull_lower", "certified hull of A^-1 b over the IntRHS box, lower end", kX},
    VariableText{"exact_hull_upper", "certified hull of A^-1 b over the IntRHS box, upper end", kX},
    VariableText{"condition_number", "certified condition number in the infinity norm, rounded up", kPure},
    VariableText{"condition_number_enclosure_lower", "certified enclosure of the condition number, lower end", kPure},
    VariableText{"condition_number_enclosure_upper", "certified enclosure of the condition number, upper end", kPure},
    VariableText{"condition_level", "condition verdict of the system", ""},
    VariableText{"condition_text", "condition verdict in words", ""},
    VariableText{"true_solution_reason", "why true_solution or some of its values are missing", ""},
    VariableText{"exact_hull_reason", "why exact_hull or some of its values are missing", ""},
    VariableText{"condition_number_reason", "why condition_number is missing", ""},
    VariableText{"exact_moments_reason", "why some exact linear or expected moments are missing", ""},
    VariableText{"inverse_lower", "certified enclosure of (A^-1)_ij, lower end", "units of x per unit of b"},
    VariableText{"inverse_upper", "certified enclosure of (A^-1)_ij, upper end", "units of x per unit of b"},
    VariableText{"inverse_reason", "why the inverse enclosure and the shares are missing", ""},
    VariableText{"share", "share of entry b_j in the variance of x_i (within 1e-12)", kPure},
    VariableText{"cells_share", "share of entry b_j in the variance of x_i, from the cells' variances", kPure},
    // The interval matrix (IntMatice.txt), in a run that has one.
    VariableText{"enclosure", "enclosure of the solutions of [A] x = [b] (IntMatice.txt, IntRHS.txt)", ""},
    VariableText{"enclosure_lower", "lower end of the enclosure of x_i", kX},
    VariableText{"enclosure_upper", "upper end of the enclosure of x_i", kX},
    VariableText{"overestimation", "width of the enclosure of x_i over the exact hull's, or the narrowest verified enclosure's", kPure},
    VariableText{"interval_matrix_reason", "why the interval matrix's enclosures are missing", ""},
    // A random matrix (NormalMatice.txt, UniformMatice.txt), in a run that
    // has one.
    VariableText{"near_singular_share", "share of the phase's probability in jobs whose random matrix the singularity rule refused (not solved)", kPure},
    VariableText{"pivot_change_share", "share of the phase's probability in jobs solved under other pivots than the mean matrix's", kPure},
    VariableText{"second_order_mean", "mean of x_i to second order in the random matrix", kX},
    // The eliminations and the phases.
    VariableText{"pivot_growth", "largest absolute entry of the elimination over the largest of the matrix", kPure},
    VariableText{"column_order", "input index of the unknown at each solution position", kPure},
    VariableText{"jobs", "jobs the phase solved", kPure},
    VariableText{"seed", "seed the sampling phase drew its samples from", kPure},
    VariableText{"digits", "significant digits asked for by --digits", kPure},
    VariableText{"digits_most_samples", "ceiling of the samples of a --digits phase", kPure},
    VariableText{"digits_rule_met", "whether the last round of a --digits phase met the rule", ""},
    VariableText{"digits_round_samples", "samples of each round a --digits phase tried", kPure},
    VariableText{"band_count", "number K of bands of the table", kPure},
    VariableText{"borders", "borders of the VALID histogram: b_0 = Min ... b_K", kX},
    VariableText{"truth_reason", "why the continuous truth is missing", ""},
    // unknowns.csv: the solution under a mode.
    VariableText{"exact", "plain solution: RealRHS.txt solved in doubles", kX},
    VariableText{"exact_bounds_lower", "replay of the plain solution in intervals, lower end", kX},
    VariableText{"exact_bounds_upper", "replay of the plain solution in intervals, upper end", kX},
    VariableText{"forward_error_ulps", "distance of the plain solution from the true solution", "ulp"},
    VariableText{"interval_lower", "IntRHS.txt replayed in interval arithmetic, lower end", kX},
    VariableText{"interval_upper", "IntRHS.txt replayed in interval arithmetic, upper end", kX},
    VariableText{"hull_lower", "certified hull, lower end (as exact_hull_lower)", kX},
    VariableText{"hull_upper", "certified hull, upper end (as exact_hull_upper)", kX},
    VariableText{"interval_overestimation", "width of the interval replay over the width of the hull", kPure},
    // unknowns.csv: the phase of a family.
    VariableText{"min", "smallest solved value (Min)", kX},
    VariableText{"max", "largest solved value (Max)", kX},
    VariableText{"moments_mean", "mean of the solved values", kX},
    VariableText{"moments_sd", "standard deviation of the solved values", kX},
    VariableText{"expected_moments_mean", "certified mean the jobs should reproduce", kX},
    VariableText{"expected_moments_sd", "certified standard deviation the jobs should reproduce", kX},
    VariableText{"invalid_mean", "mean of the INVALID normal approximation", kX},
    VariableText{"invalid_sd", "standard deviation of the INVALID normal approximation", kX},
    VariableText{"exact_linear_mean", "certified mean of the exact linear normal", kX},
    VariableText{"exact_linear_sd", "certified standard deviation of the exact linear normal", kX},
    VariableText{"coverage_symmetric_lower", "probabilistically symmetric 95 % interval, lower end", kX},
    VariableText{"coverage_symmetric_upper", "probabilistically symmetric 95 % interval, upper end", kX},
    VariableText{"coverage_shortest_lower", "shortest 95 % interval, lower end", kX},
    VariableText{"coverage_shortest_upper", "shortest 95 % interval, upper end", kX},
    VariableText{"coverage_resolution", "width of the sub-bands the intervals are read from", kX},
    VariableText{"invalid_total_variation", "total variation distance of INVALID from VALID", kPure},
    VariableText{"invalid_max_cdf", "largest distance of the INVALID distribution function from VALID's", kPure},
    VariableText{"exact_linear_total_variation", "total variation distance of the exact linear normal from VALID", kPure},
    VariableText{"exact_linear_max_cdf", "largest distance of the exact linear distribution function from VALID's", kPure},
    VariableText{"invalid_delta", "numerical tolerance delta of the validation of INVALID", kX},
    VariableText{"invalid_d_low", "distance of the lower interval ends, INVALID against VALID", kX},
    VariableText{"invalid_d_high", "distance of the upper interval ends, INVALID against VALID", kX},
    VariableText{"invalid_validated", "whether INVALID is validated against the symmetric interval", ""},
    VariableText{"exact_linear_delta", "numerical tolerance delta of the validation of the exact linear normal", kX},
    VariableText{"exact_linear_d_low", "distance of the lower interval ends, exact linear against VALID", kX},
    VariableText{"exact_linear_d_high", "distance of the upper interval ends, exact linear against VALID", kX},
    VariableText{"exact_linear_validated", "whether the exact linear normal is validated against the symmetric interval", ""},
    VariableText{"truth_method", "how the continuous truth was computed", ""},
    VariableText{"truth_max_error", "largest error bound of the truth's band masses", kPure},
    VariableText{"valid_truth_total_variation", "total variation distance of VALID from the truth", kPure},
    VariableText{"valid_truth_max_cdf", "largest distance of VALID's distribution function from the truth's", kPure},
    VariableText{"invalid_truth_total_variation", "total variation distance of INVALID from the truth", kPure},
    VariableText{"invalid_truth_max_cdf", "largest distance of INVALID's distribution function from the truth's", kPure},
    VariableText{"exact_linear_truth_total_variation", "total variation distance of the exact linear normal from the truth", kPure},
    VariableText{"exact_linear_truth_max_cdf", "largest distance of the exact linear distribution function from the truth's", kPure},
    VariableText{"moments_mean_se", "standard error of moments_mean", kX},
    VariableText{"moments_sd_se", "standard error of moments_sd", kX},
    VariableText{"coverage_symmetric_lower_se", "standard error of coverage_symmetric_lower", kX},
    VariableText{"coverage_symmetric_upper_se", "standard error of coverage_symmetric_upper", kX},
    VariableText{"coverage_shortest_lower_se", "standard error of coverage_shortest_lower", kX},
    VariableText{"coverage_shortest_upper_se", "standard error of coverage_shortest_upper", kX},
    VariableText{"coverage_factor", "coverage factor k: plus or minus k standard errors is a 95 % interval", kPure},
    // bands.csv, per band (the tails in <name>_lower_tail and _upper_tail).
    VariableText{"valid", "VALID: probability of the band from the solved values", kPure},
    VariableText{"invalid", "INVALID: probability of the band under the normal approximation", kPure},
    VariableText{"exact_linear", "probability of the band under the certified exact linear normal", kPure},
    VariableText{"truth", "probability of the band under the continuous truth", kPure},
    VariableText{"truth_error", "error bound of the truth's probability of the band", kPure},
    VariableText{"valid_se", "standard error of the VALID probability of the band", kPure},
    // The running estimates (convergence).
    VariableText{"convergence_samples", "samples behind the running estimate", kPure},
    VariableText{"convergence_coverage_factor", "coverage factor of the running estimate's errors", kPure},
    VariableText{"convergence_mean", "running estimate of the mean", kX},
    VariableText{"convergence_mean_se", "standard error of the running estimate of the mean", kX},
    VariableText{"convergence_symmetric_lower", "running estimate of the symmetric interval's lower end", kX},
    VariableText{"convergence_symmetric_lower_se", "its standard error", kX},
    VariableText{"convergence_symmetric_upper", "running estimate of the symmetric interval's upper end", kX},
    VariableText{"convergence_symmetric_upper_se", "its standard error", kX},
};

}  // namespace

std::optional<VariableText> findVariableText(std::string_view name) {
  for (const VariableText& text : kTexts) {
    if (text.name == name) return text;
  }
  return std::nullopt;
}

VariableText variableText(std::string_view name) {
  if (const auto found = findVariableText(name)) return *found;
  return {name, name, ""};
}

}  // namespace linprob
