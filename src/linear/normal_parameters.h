// NormalParameters: the mean and the variance (not the deviation) of one
// right-hand-side entry or, after a replay of the elimination, of one solution
// position. Scaling by k scales the variance by k twice, ((variance * k) * k),
// and combining two records adds means and variances as if independent.
#ifndef LINPROB_LINEAR_NORMAL_PARAMETERS_H_
#define LINPROB_LINEAR_NORMAL_PARAMETERS_H_

namespace linprob {

struct NormalParameters {
  double mean = 0.0;
  double variance = 0.0;
};

inline NormalParameters operator*(const NormalParameters& p, double k) {
  // Rounded in this order: (variance * k) first, then times k again.
  double scaledVariance = p.variance * k;
  scaledVariance = scaledVariance * k;
  return NormalParameters{p.mean * k, scaledVariance};
}

inline NormalParameters operator+(const NormalParameters& a,
                                  const NormalParameters& b) {
  return NormalParameters{a.mean + b.mean, a.variance + b.variance};
}

}  // namespace linprob

#endif  // LINPROB_LINEAR_NORMAL_PARAMETERS_H_
