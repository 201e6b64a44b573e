#include "base/packed_bytes.h"

#include <cstring>
#include <stdexcept>

namespace linprob {

void BytePacker::putCount(std::uint64_t count) {
  bytes_.append(reinterpret_cast<const char*>(&count), sizeof count);
}

void BytePacker::putInteger(std::int64_t value) {
  bytes_.append(reinterpret_cast<const char*>(&value), sizeof value);
}

void BytePacker::putNumbers(const double* numbers, std::size_t count) {
  putCount(count);
  if (count == 0) return;
  bytes_.append(reinterpret_cast<const char*>(numbers), count * sizeof(double));
}

void ByteUnpacker::take(void* into, std::size_t size) {
  if (bytes_.size() - at_ < size) throw std::runtime_error(cutShort_);
  std::memcpy(into, bytes_.data() + at_, size);
  at_ += size;
}

std::uint64_t ByteUnpacker::count() {
  std::uint64_t value = 0;
  take(&value, sizeof value);
  return value;
}

std::int64_t ByteUnpacker::integer() {
  std::int64_t value = 0;
  take(&value, sizeof value);
  return value;
}

std::vector<double> ByteUnpacker::numbers() {
  const std::uint64_t size = count();
  // Counted against what is left before anything is reserved.
  if (size > (bytes_.size() - at_) / sizeof(double)) {
    throw std::runtime_error(cutShort_);
  }
  std::vector<double> values(size);
  if (size > 0) take(values.data(), size * sizeof(double));
  return values;
}

void ByteUnpacker::finish() const {
  if (at_ != bytes_.size()) throw std::runtime_error(cutShort_);
}

}  // namespace linprob
