// The bytes a writer writes, counted and not kept: a stream buffer that
// keeps only the count, and countedBytes(write), the count of what
// write(out) writes to a stream over it.
#ifndef LINPROB_BASE_COUNTED_BYTES_H_
#define LINPROB_BASE_COUNTED_BYTES_H_

#include <cstddef>
#include <ostream>
#include <streambuf>

namespace linprob {

class CountingBuffer : public std::streambuf {
 public:
  std::size_t bytes() const { return bytes_; }

 protected:
  int_type overflow(int_type c) override {
    if (!traits_type::eq_int_type(c, traits_type::eof())) ++bytes_;
    return traits_type::not_eof(c);
  }
  std::streamsize xsputn(const char*, std::streamsize count) override {
    bytes_ += static_cast<std::size_t>(count);
    return count;
  }

 private:
  std::size_t bytes_ = 0;
};

template <typename Write>
std::size_t countedBytes(Write write) {
  CountingBuffer counted;
  std::ostream out(&counted);
  write(out);
  return counted.bytes();
}

}  // namespace linprob

#endif  // LINPROB_BASE_COUNTED_BYTES_H_
