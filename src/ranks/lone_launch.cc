// A build without MPI: every process runs alone.
#include "ranks/launch.h"

namespace linprob {
namespace {

class LoneLaunch final : public Launch {
 public:
  ProcessGroup* group() override { return nullptr; }
};

}  // namespace

std::unique_ptr<Launch> joinLaunch(int& /*argc*/, char**& /*argv*/) {
  return std::make_unique<LoneLaunch>();
}

}  // namespace linprob
