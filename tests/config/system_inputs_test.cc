// A system's inputs read once, by the start check: the five files as
// numbers, only for a system whose files are all sound, and the same numbers
// again on every process of a shared run (whether rank 0 hands over what it
// checked or what its calibration kept).
#include "config/system_inputs.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "check/input_check.h"
#include "support/in_process_ranks.h"
#include "support/temp_dir.h"

namespace linprob {
namespace {

// Runs in `dir` while it lives.
class InFolder {
 public:
  explicit InFolder(const std::string& dir)
      : before_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir);
  }
  ~InFolder() { std::filesystem::current_path(before_); }

 private:
  std::filesystem::path before_;
};

void writeSystem(const testing::TempDir& dir) {
  std::filesystem::create_directories(dir.path("Matrix0"));
  dir.write("Matrix0/Matice.txt", "2 1\n1 3\n");
  dir.write("Matrix0/RealRHS.txt", "1 2");
  dir.write("Matrix0/IntRHS.txt", "0.5 1.5 -1 2.25");
  dir.write("Matrix0/NormalRHS.txt", "1 0.25 2 0.5");
  dir.write("Matrix0/UniformRHS.txt", "0 2 1 3");
}

void expectSameNumbers(const SystemInputs& got, const SystemInputs& want) {
  EXPECT_EQ(got.n, want.n);
  EXPECT_EQ(got.matrix, want.matrix);
  EXPECT_EQ(got.rhs, want.rhs);
  ASSERT_EQ(got.intervalRhs.size(), want.intervalRhs.size());
  for (std::size_t j = 0; j < got.intervalRhs.size(); ++j) {
    EXPECT_EQ(got.intervalRhs[j].lower, want.intervalRhs[j].lower);
    EXPECT_EQ(got.intervalRhs[j].upper, want.intervalRhs[j].upper);
  }
  EXPECT_EQ(got.parametersOf(ParameterKind::kNormal), want.parametersOf(ParameterKind::kNormal));
  EXPECT_EQ(got.parametersOf(ParameterKind::kBounds), want.parametersOf(ParameterKind::kBounds));
  EXPECT_EQ(got.conditionEstimate, want.conditionEstimate);
}

RunSettings twoUnknowns() {
  RunSettings settings;
  settings.Dimensions = 2;
  settings.IntegrationPrecision = 3;
  settings.MaxMatrix = 1;
  return settings;
}

TEST(SystemInputsTest, ReadsTheFiveFilesOnceAndSharesTheirNumbers) {
  const testing::TempDir dir;
  writeSystem(dir);
  const InFolder in(dir.path(""));
  const RunSettings settings = twoUnknowns();
  RunInputsCheck check = checkRunInputs(RunConfig(settings), 1);
  EXPECT_TRUE(check.errors.empty());
  ASSERT_EQ(check.systems.size(), 1u);
  SystemInputs read = check.systems[0];
  for (const auto& cells : read.cells) EXPECT_FALSE(cells.has_value());
  addCells(RunConfig(settings), read);
  EXPECT_EQ(read.matrix, (std::vector<double>{2, 1, 1, 3}));
  EXPECT_EQ(read.intervalRhs[1].lower, -1.0);
  EXPECT_EQ(read.intervalRhs[1].upper, 2.25);
  EXPECT_EQ(read.parametersOf(ParameterKind::kBounds), (std::vector<double>{0, 2, 1, 3}));
  // Enumeration: each family's cells, as its phase builds them (the
  // system has no LognormalRHS.txt: no lognormal family).
  EXPECT_EQ(read.families, requiredFamilies());
  for (const FamilyInfo& family : kFamilies) {
    EXPECT_EQ(read.cells[static_cast<std::size_t>(family.family)].has_value(),
              read.runs(family.family));
  }

  // The check's estimate of kappa = 4 * 4/5 goes with the numbers, for
  // the verdict of a system the references do not certify.
  ASSERT_TRUE(read.conditionEstimate);
  EXPECT_NEAR(*read.conditionEstimate, 3.2, 1e-15);

  expectSameNumbers(systemInputsFromBytes(toBytes(read)), read);
  const SystemReference reference = makeSystemReference(read);
  ASSERT_TRUE(reference.condition);
  EXPECT_EQ(reference.condition->source, ConditionSource::kCertified);
  EXPECT_EQ(reference.conditionEstimate, read.conditionEstimate);
  const SystemReference uncertified =
      makeSystemReference(read, {}, ReferenceNeed::kInputsOnly);
  ASSERT_TRUE(uncertified.condition);
  EXPECT_EQ(uncertified.condition->source, ConditionSource::kEstimate);
  EXPECT_EQ(uncertified.condition->conditionNumber, *read.conditionEstimate);
  EXPECT_EQ(toBytes(reference), toBytes(read));
  EXPECT_THROW((void)systemInputsFromBytes(toBytes(read).substr(1)),
               std::runtime_error);

  // A system analysed under fewer families: they go with the numbers, and
  // the others have neither cells nor references.
  SystemInputs normalOnly = check.systems[0];
  normalOnly.families.reset().set(static_cast<std::size_t>(Family::kNormal));
  EXPECT_EQ(systemInputsFromBytes(toBytes(normalOnly)).families, normalOnly.families);
  // So does the entries' correlation.
  SystemInputs correlated = normalOnly;
  correlated.correlation = {1.0, 0.25, 0.25, 1.0};
  EXPECT_EQ(systemInputsFromBytes(toBytes(correlated)).correlation,
            correlated.correlation);
  addCells(RunConfig(settings), normalOnly);
  const SystemReference normalReference = makeSystemReference(normalOnly);
  for (const FamilyInfo& family : kFamilies) {
    const bool runs = family.family == Family::kNormal;
    EXPECT_EQ(normalOnly.cells[static_cast<std::size_t>(family.family)].has_value(), runs);
    EXPECT_EQ(normalReference.family(family.family) != nullptr, runs) << family.name;
  }
  EXPECT_TRUE(normalReference.reasons.moments.empty());

  // Rank 0 hands over what it checked or kept; every process gets the
  // same numbers and makes the same cells.
  for (const std::string& sent : {toBytes(check.systems[0]), toBytes(reference)}) {
    testing::InProcessRanks ranks(3);
    std::vector<SystemInputs> shared(3);
    ranks.run([&](ProcessGroup& group) {
      shared[static_cast<std::size_t>(group.rank())] = broadcastSystemInputs(
          RunConfig(settings), 0, group, group.isRoot() ? sent : std::string());
    });
    for (int rank = 0; rank < 3; ++rank) {
      const SystemInputs& got = shared[static_cast<std::size_t>(rank)];
      expectSameNumbers(got, read);
      EXPECT_EQ(got.system, 0);
      for (std::size_t f = 0; f < got.cells.size(); ++f) {
        ASSERT_EQ(got.cells[f].has_value(), read.cells[f].has_value());
        if (!got.cells[f]) continue;
        ASSERT_EQ(got.cells[f]->size(), read.cells[f]->size());
        for (std::size_t c = 0; c < got.cells[f]->size(); ++c) {
          for (std::size_t e = 0; e < 2; ++e) {
            EXPECT_EQ((*got.cells[f])[c][e].value, (*read.cells[f])[c][e].value);
            EXPECT_EQ((*got.cells[f])[c][e].probability,
                      (*read.cells[f])[c][e].probability);
          }
        }
      }
    }
  }
}

TEST(SystemInputsTest, OnlyASystemWhoseFilesAreAllSoundIsHandedOn) {
  const testing::TempDir dir;
  writeSystem(dir);
  std::filesystem::create_directories(dir.path("Matrix1"));
  for (const char* file : {"Matice.txt", "RealRHS.txt", "IntRHS.txt",
                           "NormalRHS.txt", "UniformRHS.txt"}) {
    std::filesystem::copy_file(dir.path(std::string("Matrix0/") + file),
                               dir.path(std::string("Matrix1/") + file));
  }
  dir.write("Matrix1/IntRHS.txt", "0.5 1.5 3 2");
  const InFolder in(dir.path(""));
  RunSettings settings = twoUnknowns();
  settings.MaxMatrix = 2;
  const RunInputsCheck check = checkRunInputs(RunConfig(settings), 2);
  EXPECT_EQ(check.errors,
            (std::vector<std::string>{
                "Matrix1/IntRHS.txt: pair 1 has its lower end above its "
                "upper end (3 > 2)"}));
  ASSERT_EQ(check.systems.size(), 1u);
  EXPECT_EQ(check.systems[0].system, 0);
  EXPECT_EQ(check.systems[0].intervalRhs[0].upper, 1.5);
}

}  // namespace
}  // namespace linprob
