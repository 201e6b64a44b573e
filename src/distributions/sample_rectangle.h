// SampleRectangle: a value with a probability. One cell of a discretised
// right-hand-side distribution, and also one solved sample of an unknown.
//
// RectangleTable holds the cells of every entry of one phase, indexed
// [cell][entry]; it is built before the generator threads start and only read
// while they run.
#ifndef LINPROB_DISTRIBUTIONS_SAMPLE_RECTANGLE_H_
#define LINPROB_DISTRIBUTIONS_SAMPLE_RECTANGLE_H_

#include <vector>

namespace linprob {

struct SampleRectangle {
  double value = 0.0;
  double probability = 0.0;
};

using RectangleTable = std::vector<std::vector<SampleRectangle>>;

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_SAMPLE_RECTANGLE_H_
