// Owning handles for the FLINT and Arb values the linear layer's certified
// and exact computations use: each initialises its value on construction and
// clears it on destruction; they move but do not copy. Only the linear
// layer's own sources include this header (FLINT and Arb stay inside it).
#ifndef LINPROB_LINEAR_FLINT_HANDLES_H_
#define LINPROB_LINEAR_FLINT_HANDLES_H_

#include <cstddef>
#include <utility>

#include <arb.h>
#include <flint/fmpz.h>
#include <flint/fmpq.h>
#include <flint/fmpq_mat.h>
#include <flint/fmpz_mat.h>

namespace linprob {

class FmpzMatrix {
 public:
  FmpzMatrix(std::size_t rows, std::size_t columns) {
    fmpz_mat_init(value_, static_cast<slong>(rows), static_cast<slong>(columns));
  }
  ~FmpzMatrix() { fmpz_mat_clear(value_); }
  FmpzMatrix(FmpzMatrix&& other) noexcept {
    // An empty 0 x 0 matrix to leave behind: fmpz_mat_swap exchanges the
    // structures, which own their entries.
    fmpz_mat_init(value_, 0, 0);
    fmpz_mat_swap(value_, other.value_);
  }
  FmpzMatrix& operator=(FmpzMatrix&& other) noexcept {
    fmpz_mat_swap(value_, other.value_);
    return *this;
  }
  FmpzMatrix(const FmpzMatrix&) = delete;
  FmpzMatrix& operator=(const FmpzMatrix&) = delete;

  fmpz_mat_struct* get() { return value_; }
  const fmpz_mat_struct* get() const { return value_; }
  fmpz* at(std::size_t row, std::size_t column) {
    return fmpz_mat_entry(value_, static_cast<slong>(row),
                          static_cast<slong>(column));
  }
  const fmpz* at(std::size_t row, std::size_t column) const {
    return fmpz_mat_entry(value_, static_cast<slong>(row),
                          static_cast<slong>(column));
  }

 private:
  fmpz_mat_t value_;
};

// A FLINT or Arb value of type T, set up by Init and cleared by Clear.
template <typename T, void (*Init)(T*), void (*Clear)(T*)>
class FlintValue {
 public:
  FlintValue() { Init(value_); }
  ~FlintValue() { Clear(value_); }
  FlintValue(const FlintValue&) = delete;
  FlintValue& operator=(const FlintValue&) = delete;
  T* get() { return value_; }
  const T* get() const { return value_; }

 private:
  T value_[1];
};

class FmpqMatrix {
 public:
  FmpqMatrix(slong rows, slong columns) { fmpq_mat_init(value_, rows, columns); }
  ~FmpqMatrix() { fmpq_mat_clear(value_); }
  FmpqMatrix(const FmpqMatrix&) = delete;
  FmpqMatrix& operator=(const FmpqMatrix&) = delete;
  fmpq_mat_struct* get() { return value_; }
  const fmpq_mat_struct* get() const { return value_; }
  fmpq* at(slong row, slong column) { return fmpq_mat_entry(value_, row, column); }
  const fmpq* at(slong row, slong column) const {
    return fmpq_mat_entry(value_, row, column);
  }

 private:
  fmpq_mat_t value_;
};

using Fmpz = FlintValue<fmpz, fmpz_init, fmpz_clear>;
using Fmpq = FlintValue<fmpq, fmpq_init, fmpq_clear>;
using Arf = FlintValue<arf_struct, arf_init, arf_clear>;
using Arb = FlintValue<arb_struct, arb_init, arb_clear>;

// A magnitude bound; it copies, unlike the values above.
class Mag {
 public:
  Mag() { mag_init(value_); }
  ~Mag() { mag_clear(value_); }
  Mag(const Mag& other) {
    mag_init(value_);
    mag_set(value_, other.value_);
  }
  Mag& operator=(const Mag& other) {
    mag_set(value_, other.value_);
    return *this;
  }
  mag_struct* get() { return value_; }
  const mag_struct* get() const { return value_; }

 private:
  mag_t value_;
};

class ArbVector {
 public:
  explicit ArbVector(std::size_t size)
      : size_(size), values_(_arb_vec_init(static_cast<slong>(size))) {}
  ~ArbVector() { _arb_vec_clear(values_, static_cast<slong>(size_)); }
  ArbVector(ArbVector&& other) noexcept
      : size_(std::exchange(other.size_, 0)),
        values_(std::exchange(other.values_, nullptr)) {}
  ArbVector& operator=(ArbVector&&) = delete;
  ArbVector(const ArbVector&) = delete;
  ArbVector& operator=(const ArbVector&) = delete;
  std::size_t size() const { return size_; }
  arb_ptr data() { return values_; }
  arb_srcptr data() const { return values_; }
  arb_struct* operator[](std::size_t i) { return values_ + i; }
  const arb_struct* operator[](std::size_t i) const { return values_ + i; }

 private:
  std::size_t size_;
  arb_ptr values_;
};

}  // namespace linprob

#endif  // LINPROB_LINEAR_FLINT_HANDLES_H_
