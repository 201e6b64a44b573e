// The distribution parameter files of a system, one row of
// kParameterKinds each: the file's name, how its numbers make entries, and
// the check of one entry's numbers.
//
// "NormalRHS.txt" holds n pairs (mean, variance); "UniformRHS.txt" n pairs
// (lower, upper); "LognormalRHS.txt", which a system may go without, n
// pairs (mean, variance) of positive entries; "DataRHS.txt", which it may
// also go without, one line per entry of its measured values, as many on
// every line, at least 2 (their order means nothing: the families read each
// entry's values sorted). The families read them through their row's kind
// (distributions/family.h); a file read by no family fails the build. The
// start-of-run check reads each file once, in the table's order, and checks
// its numbers with checkParameters; a system's inputs hold the numbers by
// kind, and the other processes of a run receive them in that order.
//
// A new kind of parameters is a new enumerator and a new row here, with its
// entry check and its stand-in (those of a family's own file in the
// family's own file pair, as the lognormal and the data family's); the static_asserts below tie the table to
// the enumeration, family.h ties the families' rows to the table, and
// ParameterFilesTest fails for a row without its two functions.
#ifndef LINPROB_DISTRIBUTIONS_PARAMETER_FILES_H_
#define LINPROB_DISTRIBUTIONS_PARAMETER_FILES_H_

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <vector>

namespace linprob {

// What the numbers of a parameter file mean; also the index of its row and
// of a system's numbers of that file (SystemInputs).
enum class ParameterKind {
  kNormal = 0,     // (mean, variance)
  kBounds = 1,     // (lower end, upper end)
  kLognormal = 2,  // (mean, variance) of a positive entry
  kData = 3,       // a line of measured values
};

// How a file's numbers make its entries: a fixed count each, wherever the
// lines break (the pairs), or one line each with as many numbers as the
// first line holds (at least the kind's numbersPerEntry), in no particular
// order.
enum class EntryLayout { kFixed, kLine };

// Whether a system needs the file: a missing file of a kind it may go
// without leaves out the families that read it, for that system alone.
enum class Presence { kRequired, kOptional };

// Appends the problems of entry `entry`'s numbers (numbersPerEntry of them)
// to `problems`, one line each.
using EntryCheck = void (*)(unsigned entry, std::span<const double> numbers,
                            std::vector<std::string>& problems);

namespace parameter_checks {
// "pair 1 has a negative variance (-2)",
// "pair 1 has a variance that is not finite (inf)",
// "pair 1 has a mean that is not finite (nan)".
void normalEntry(unsigned entry, std::span<const double> numbers,
                 std::vector<std::string>& problems);
// "pair 1 has its lower end above its upper end (3 > 1)",
// "pair 1 has an end that is not finite (inf)".
void boundsEntry(unsigned entry, std::span<const double> numbers,
                 std::vector<std::string>& problems);
}  // namespace parameter_checks

// Appends one entry's numbers for a made-up system (the cost model's timed
// systems): an entry spread over [center - halfWidth, center + halfWidth],
// as a kind can say it.
using EntryStandIn = void (*)(double center, double halfWidth,
                              std::vector<double>& numbers);

namespace parameter_stand_ins {
// (center, halfWidth^2 / 3): the mean and variance of a uniform entry.
void normalEntry(double center, double halfWidth, std::vector<double>& numbers);
// (center - halfWidth, center + halfWidth).
void boundsEntry(double center, double halfWidth, std::vector<double>& numbers);
}  // namespace parameter_stand_ins

}  // namespace linprob

#include "distributions/data_family.h"
#include "distributions/lognormal_family.h"

namespace linprob {

struct ParameterKindInfo {
  ParameterKind kind;
  const char* file;
  EntryLayout layout;
  unsigned numbersPerEntry;  // kLine: the fewest on a line
  EntryCheck checkEntry;
  EntryStandIn standIn;
  Presence presence;
};

inline constexpr std::array<ParameterKindInfo, 4> kParameterKinds = {{
    {ParameterKind::kNormal, "NormalRHS.txt", EntryLayout::kFixed, 2,
     parameter_checks::normalEntry, parameter_stand_ins::normalEntry,
     Presence::kRequired},
    {ParameterKind::kBounds, "UniformRHS.txt", EntryLayout::kFixed, 2,
     parameter_checks::boundsEntry, parameter_stand_ins::boundsEntry,
     Presence::kRequired},
    {ParameterKind::kLognormal, "LognormalRHS.txt", EntryLayout::kFixed, 2,
     parameter_checks::lognormalEntry, parameter_stand_ins::lognormalEntry,
     Presence::kOptional},
    {ParameterKind::kData, "DataRHS.txt", EntryLayout::kLine, 2,
     parameter_checks::dataEntry, parameter_stand_ins::dataEntry,
     Presence::kOptional},
}};

inline constexpr std::size_t kParameterKindCount = kParameterKinds.size();

constexpr bool kindsInOrder() {
  for (std::size_t k = 0; k < kParameterKinds.size(); ++k) {
    if (static_cast<std::size_t>(kParameterKinds[k].kind) != k) return false;
    if (kParameterKinds[k].numbersPerEntry == 0) return false;
    // The functions of a row are held by ParameterFilesTest: a function's
    // address is not a constant expression under the undefined-behaviour
    // sanitizer.
  }
  return true;
}
static_assert(kindsInOrder(), "kParameterKinds is indexed by ParameterKind");
static_assert(static_cast<std::size_t>(ParameterKind::kData) + 1 ==
                  kParameterKindCount,
              "every ParameterKind has its row");

constexpr const ParameterKindInfo& kindInfo(ParameterKind kind) {
  return kParameterKinds[static_cast<std::size_t>(kind)];
}
constexpr const char* parameterFileOf(ParameterKind kind) {
  return kindInfo(kind).file;
}

// How many numbers of a file of `kind` holding `size` of them make each of
// n entries: a fixed kind's count; for a kind of lines, size / n where that
// divides and is at least the kind's fewest, else 0.
constexpr unsigned entryWidth(ParameterKind kind, std::size_t size,
                              unsigned n) {
  const ParameterKindInfo& info = kindInfo(kind);
  if (info.layout == EntryLayout::kFixed) return info.numbersPerEntry;
  if (n == 0 || size % n != 0 || size / n < info.numbersPerEntry) return 0;
  return static_cast<unsigned>(size / n);
}

// How many numbers a file of `kind` holding `size` of them needs for n
// entries (0 for a kind of lines whose size makes no entries).
constexpr std::size_t parameterCount(ParameterKind kind, std::size_t size,
                                     unsigned n) {
  return std::size_t{entryWidth(kind, size, n)} * n;
}

// Checks each of the n entries of a file's numbers, already read (at least
// parameterCount(kind, numbers.size(), n) of them; any beyond are not looked
// at). Returns one problem per line, as reported after the file name, empty
// when the file is sound. Entries are counted from 0.
std::vector<std::string> checkParameters(const std::vector<double>& numbers,
                                         unsigned n, ParameterKind kind);

}  // namespace linprob

#endif  // LINPROB_DISTRIBUTIONS_PARAMETER_FILES_H_
