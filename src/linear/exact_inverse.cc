#include "linear/exact_inverse.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <utility>

#include "linear/dyadic_form.h"

namespace linprob {

using boost::multiprecision::cpp_int;
using boost::multiprecision::cpp_rational;

namespace {

using Wide = unsigned __int128;

// Arithmetic modulo an odd p < 2^62 in Montgomery form (x stands for
// x * 2^64 mod p): a product costs two 64 x 64 -> 128-bit multiplications
// and no division. mul(plain, form) gives a plain product, which the
// reconstruction uses to skip conversions.
class PrimeField {
 public:
  explicit PrimeField(std::uint64_t p) : p_(p) {
    // Newton's iteration doubles the correct low bits of p^-1 mod 2^64 each
    // step, starting from 3 bits (p * p = 1 mod 8 for odd p).
    std::uint64_t inverse = p;
    for (int i = 0; i < 5; ++i) inverse *= 2 - p * inverse;
    negInverse_ = 0 - inverse;
    const std::uint64_t radix = (0 - p) % p;  // 2^64 mod p
    one_ = radix;
    radixSquared_ = static_cast<std::uint64_t>(
        static_cast<Wide>(radix) * radix % p);
  }

  std::uint64_t prime() const { return p_; }
  std::uint64_t one() const { return one_; }

  std::uint64_t mul(std::uint64_t a, std::uint64_t b) const {
    return reduce(static_cast<Wide>(a) * b);
  }
  std::uint64_t add(std::uint64_t a, std::uint64_t b) const {
    const std::uint64_t s = a + b;
    return s >= p_ ? s - p_ : s;
  }
  std::uint64_t sub(std::uint64_t a, std::uint64_t b) const {
    return a >= b ? a - b : a + p_ - b;
  }
  std::uint64_t toForm(std::uint64_t plain) const {
    return mul(plain, radixSquared_);
  }
  std::uint64_t fromForm(std::uint64_t form) const { return reduce(form); }
  std::uint64_t power(std::uint64_t base, std::uint64_t e) const {
    std::uint64_t result = one_;
    while (e != 0) {
      if ((e & 1) != 0) result = mul(result, base);
      base = mul(base, base);
      e >>= 1;
    }
    return result;
  }
  // p is prime: a^(p-2) = a^-1 for a != 0.
  std::uint64_t inverse(std::uint64_t a) const { return power(a, p_ - 2); }

 private:
  // t * 2^-64 mod p for t < p * 2^64.
  std::uint64_t reduce(Wide t) const {
    const std::uint64_t m = static_cast<std::uint64_t>(t) * negInverse_;
    const std::uint64_t u =
        static_cast<std::uint64_t>((t + static_cast<Wide>(m) * p_) >> 64);
    return u >= p_ ? u - p_ : u;
  }

  std::uint64_t p_;
  std::uint64_t negInverse_ = 0;
  std::uint64_t one_ = 0;
  std::uint64_t radixSquared_ = 0;
};

// Miller-Rabin with the first twelve primes as bases is exact below 2^64.
bool isPrime(std::uint64_t candidate) {
  const PrimeField field(candidate);
  std::uint64_t odd = candidate - 1;
  int twos = 0;
  while ((odd & 1) == 0) {
    odd >>= 1;
    ++twos;
  }
  const std::uint64_t minusOne = field.sub(0, field.one());
  for (std::uint64_t base : {2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37}) {
    std::uint64_t x = field.power(field.toForm(base), odd);
    if (x == field.one() || x == minusOne) continue;
    bool witness = true;
    for (int i = 1; i < twos && witness; ++i) {
      x = field.mul(x, x);
      if (x == minusOne) witness = false;
    }
    if (witness) return false;
  }
  return true;
}

// The primes below 2^62, largest first; every one exceeds 2^61 long before
// any matrix could use them up, so each carries more than 61 bits and two
// of them differ by less than the smaller.
class PrimeSequence {
 public:
  std::uint64_t next() {
    do {
      candidate_ -= 2;
    } while (!isPrime(candidate_));
    return candidate_;
  }

 private:
  std::uint64_t candidate_ = (std::uint64_t{1} << 62) + 1;
};
constexpr std::int64_t kBitsPerPrime = 61;

// In-place Gauss-Jordan inversion modulo a prime with row exchanges; `a`
// holds the n x n matrix row-major in Montgomery form and receives the
// inverse. Returns false (a undefined) when the matrix is singular modulo p;
// `determinant` gets det(a) in Montgomery form otherwise.
bool invertModulo(const PrimeField& f, unsigned n, std::vector<std::uint64_t>& a,
                  std::vector<unsigned>& pivotRows,
                  std::uint64_t& determinant) {
  determinant = f.one();
  for (unsigned k = 0; k < n; ++k) {
    unsigned pivot = k;
    while (pivot < n && a[static_cast<std::size_t>(pivot) * n + k] == 0) {
      ++pivot;
    }
    if (pivot == n) return false;
    std::uint64_t* rowK = &a[static_cast<std::size_t>(k) * n];
    if (pivot != k) {
      std::swap_ranges(rowK, rowK + n, &a[static_cast<std::size_t>(pivot) * n]);
      determinant = f.sub(0, determinant);
    }
    pivotRows[k] = pivot;
    const std::uint64_t pivotValue = rowK[k];
    determinant = f.mul(determinant, pivotValue);
    const std::uint64_t pivotInverse = f.inverse(pivotValue);
    rowK[k] = f.one();
    for (unsigned j = 0; j < n; ++j) rowK[j] = f.mul(rowK[j], pivotInverse);
    for (unsigned i = 0; i < n; ++i) {
      if (i == k) continue;
      std::uint64_t* rowI = &a[static_cast<std::size_t>(i) * n];
      const std::uint64_t factor = rowI[k];
      if (factor == 0) continue;
      rowI[k] = 0;
      for (unsigned j = 0; j < n; ++j) {
        rowI[j] = f.sub(rowI[j], f.mul(factor, rowK[j]));
      }
    }
  }
  // The row exchanges inverted (PA); A^-1 = (PA)^-1 P exchanges columns,
  // last exchange first.
  for (unsigned k = n; k-- > 0;) {
    if (pivotRows[k] == k) continue;
    for (unsigned i = 0; i < n; ++i) {
      std::swap(a[static_cast<std::size_t>(i) * n + k],
                a[static_cast<std::size_t>(i) * n + pivotRows[k]]);
    }
  }
  return true;
}

// Rebuilds integers in (-M/2, M/2), M the product of the primes, from their
// residues (mixed-radix form: x = c0 + c1 p0 + c2 p0 p1 + ...).
class Reconstruction {
 public:
  explicit Reconstruction(const std::vector<std::uint64_t>& primes)
      : primes_(primes), modulus_(1) {
    const std::size_t count = primes.size();
    fields_.reserve(count);
    for (std::uint64_t p : primes) fields_.emplace_back(p);
    earlierForms_.resize(count);
    prefixInverseForms_.resize(count);
    for (std::size_t i = 1; i < count; ++i) {
      const PrimeField& f = fields_[i];
      std::uint64_t product = f.one();
      earlierForms_[i].resize(i);
      for (std::size_t j = 0; j < i; ++j) {
        earlierForms_[i][j] = f.toForm(primes[j] % primes[i]);
        product = f.mul(product, earlierForms_[i][j]);
      }
      prefixInverseForms_[i] = f.inverse(product);
    }
    for (std::uint64_t p : primes) modulus_ *= p;
    halfModulus_ = modulus_ >> 1;
    digits_.resize(count);
  }

  // residue(i) is the value modulo primes[i], in [0, primes[i]).
  template <typename Residue>
  void rebuild(const Residue& residue, cpp_int& value) {
    const std::size_t count = primes_.size();
    for (std::size_t i = 0; i < count; ++i) {
      const PrimeField& f = fields_[i];
      const std::uint64_t p = primes_[i];
      // The digits so far, evaluated modulo p by Horner's rule; each digit
      // is below an earlier (larger, but less than twice as large) prime.
      std::uint64_t sum = 0;
      for (std::size_t j = i; j-- > 0;) {
        const std::uint64_t digit =
            digits_[j] >= p ? digits_[j] - p : digits_[j];
        sum = f.add(f.mul(sum, earlierForms_[i][j]), digit);
      }
      digits_[i] = i == 0 ? residue(0)
                          : f.mul(f.sub(residue(i), sum),
                                  prefixInverseForms_[i]);
    }
    value = digits_[count - 1];
    for (std::size_t j = count - 1; j-- > 0;) {
      value *= primes_[j];
      value += digits_[j];
    }
    if (value > halfModulus_) value -= modulus_;
  }

 private:
  std::vector<std::uint64_t> primes_;
  std::vector<PrimeField> fields_;
  std::vector<std::vector<std::uint64_t>> earlierForms_;
  std::vector<std::uint64_t> prefixInverseForms_;
  cpp_int modulus_;
  cpp_int halfModulus_;
  std::vector<std::uint64_t> digits_;
};

std::int64_t ceilLog2(unsigned n) {
  std::int64_t bits = 0;
  while ((std::uint64_t{1} << bits) < n) ++bits;
  return bits;
}

// The integer matrix R A C and the exponents of R and C.
struct IntegerForm {
  std::vector<cpp_int> entries;       // row-major
  std::vector<std::int64_t> rowExponents;     // R(r, r) = 2^rowExponents[r]
  std::vector<std::int64_t> columnExponents;  // C(c, c) = 2^columnExponents[c]
};

// False when a row or a column is zero (the matrix is singular).
bool integerForm(unsigned n, const std::vector<double>& matrix,
                 IntegerForm& form) {
  const std::size_t count = matrix.size();
  std::vector<DyadicNumber> parts(count);
  for (std::size_t i = 0; i < count; ++i) parts[i] = dyadicOf(matrix[i]);
  constexpr std::int64_t kNone = std::numeric_limits<std::int64_t>::max();
  std::vector<std::int64_t> rowLowest(n, kNone);
  std::vector<std::int64_t> columnLowest(n, kNone);
  for (unsigned r = 0; r < n; ++r) {
    for (unsigned c = 0; c < n; ++c) {
      const DyadicNumber& d = parts[static_cast<std::size_t>(r) * n + c];
      if (d.mantissa != 0) rowLowest[r] = std::min(rowLowest[r], d.exponent);
    }
    if (rowLowest[r] == kNone) return false;
  }
  for (unsigned c = 0; c < n; ++c) {
    for (unsigned r = 0; r < n; ++r) {
      const DyadicNumber& d = parts[static_cast<std::size_t>(r) * n + c];
      if (d.mantissa != 0) {
        columnLowest[c] = std::min(columnLowest[c], d.exponent - rowLowest[r]);
      }
    }
    if (columnLowest[c] == kNone) return false;
  }
  form.entries.assign(count, cpp_int());
  for (unsigned r = 0; r < n; ++r) {
    for (unsigned c = 0; c < n; ++c) {
      const std::size_t i = static_cast<std::size_t>(r) * n + c;
      if (parts[i].mantissa == 0) continue;
      form.entries[i] = parts[i].mantissa;
      form.entries[i] <<= static_cast<unsigned>(
          parts[i].exponent - rowLowest[r] - columnLowest[c]);
    }
  }
  form.rowExponents.resize(n);
  form.columnExponents.resize(n);
  for (unsigned k = 0; k < n; ++k) {
    form.rowExponents[k] = -rowLowest[k];
    form.columnExponents[k] = -columnLowest[k];
  }
  return true;
}

// Bits b with every minor of the integer matrix below 2^(b-1) in magnitude:
// Hadamard's bound, each row's norm below sqrt(n) 2^(top bit + 1); the
// norms of nonzero integer rows are at least 1, so the bound on the whole
// determinant covers the (n-1)-minors too.
std::int64_t boundBits(unsigned n, const std::vector<cpp_int>& entries) {
  const std::int64_t halfLog = (ceilLog2(n) + 1) / 2;
  std::int64_t bits = 1;
  for (unsigned r = 0; r < n; ++r) {
    std::int64_t top = 0;
    for (unsigned c = 0; c < n; ++c) {
      const cpp_int& x = entries[static_cast<std::size_t>(r) * n + c];
      if (x != 0) top = std::max(top, static_cast<std::int64_t>(msb(abs(x))));
    }
    bits += top + 1 + halfLog;
  }
  return bits;
}

}  // namespace

cpp_rational ExactInverse::entry(unsigned row, unsigned column) const {
  return cpp_rational(numerator(row, column), denominator_);
}

std::optional<ExactInverse> ExactInverse::compute(
    unsigned n, const std::vector<double>& matrixRowMajor) {
  const std::size_t count = static_cast<std::size_t>(n) * n;
  if (matrixRowMajor.size() != count) {
    throw std::invalid_argument(
        "exact inverse: the matrix holds " +
        std::to_string(matrixRowMajor.size()) + " numbers, not " +
        std::to_string(count));
  }
  for (std::size_t i = 0; i < count; ++i) {
    if (!std::isfinite(matrixRowMajor[i])) {
      throw std::invalid_argument("exact inverse: matrix entry " +
                                  std::to_string(i) + " is not finite");
    }
  }
  ExactInverse result;
  result.n_ = n;
  if (n == 0) {
    result.denominator_ = 1;
    return result;
  }
  IntegerForm form;
  if (!integerForm(n, matrixRowMajor, form)) return std::nullopt;
  const std::int64_t neededBits = boundBits(n, form.entries);

  // Residues of the adjugate (row-major) and, last, of the determinant, per
  // prime that does not divide the determinant.
  std::vector<std::uint64_t> primes;
  std::vector<std::vector<std::uint64_t>> residues;
  std::vector<std::uint64_t> work(count);
  std::vector<unsigned> pivotRows(n);
  PrimeSequence sequence;
  std::int64_t skippedBits = 0;
  while (static_cast<std::int64_t>(primes.size()) * kBitsPerPrime <
         neededBits) {
    const std::uint64_t p = sequence.next();
    const PrimeField f(p);
    for (std::size_t i = 0; i < count; ++i) {
      const cpp_int& x = form.entries[i];
      std::uint64_t r = boost::multiprecision::integer_modulus(x, p);
      if (x < 0 && r != 0) r = p - r;
      work[i] = f.toForm(r);
    }
    std::uint64_t determinant = 0;
    if (!invertModulo(f, n, work, pivotRows, determinant)) {
      // p divides the determinant; once such primes together exceed the
      // bound the determinant is 0.
      skippedBits += kBitsPerPrime;
      if (skippedBits >= neededBits) return std::nullopt;
      continue;
    }
    std::vector<std::uint64_t> values(count + 1);
    for (std::size_t i = 0; i < count; ++i) {
      values[i] = f.fromForm(f.mul(determinant, work[i]));
    }
    values[count] = f.fromForm(determinant);
    primes.push_back(p);
    residues.push_back(std::move(values));
  }

  Reconstruction reconstruction(primes);
  cpp_int determinant;
  reconstruction.rebuild(
      [&](std::size_t i) { return residues[i][count]; }, determinant);
  // (A^-1)(i, j) = 2^(C_i + R_j) adj(i, j) / det with R, C the exponents of
  // the scalings; a negative lowest power moves into the denominator.
  std::int64_t lowest = 0;
  for (unsigned i = 0; i < n; ++i) {
    for (unsigned j = 0; j < n; ++j) {
      lowest = std::min(lowest,
                        form.columnExponents[i] + form.rowExponents[j]);
    }
  }
  const bool negate = determinant < 0;
  result.denominator_ = abs(determinant);
  result.denominator_ <<= static_cast<unsigned>(-lowest);
  result.numerators_.resize(count);
  for (unsigned i = 0; i < n; ++i) {
    for (unsigned j = 0; j < n; ++j) {
      const std::size_t k = static_cast<std::size_t>(i) * n + j;
      cpp_int& value = result.numerators_[k];
      reconstruction.rebuild([&](std::size_t p) { return residues[p][k]; },
                             value);
      if (negate) value = -value;
      value <<= static_cast<unsigned>(form.columnExponents[i] +
                                      form.rowExponents[j] - lowest);
    }
  }
  return result;
}

}  // namespace linprob
