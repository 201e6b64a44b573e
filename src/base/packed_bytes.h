// Bytes for the other processes of a run (base/process_group.h): counts,
// signed integers and lists of doubles, in the machine's own representation
// (the processes of a run share a machine type), read back in the order they
// were put.
//
// ByteUnpacker throws std::runtime_error with the message it was given
// ("system inputs: cut short", e.g.) on bytes that end before a value, or
// that go on after the last one (finish()).
#ifndef LINPROB_BASE_PACKED_BYTES_H_
#define LINPROB_BASE_PACKED_BYTES_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace linprob {

class BytePacker {
 public:
  void putCount(std::uint64_t count);
  void putInteger(std::int64_t value);
  // The list's count, then its numbers.
  void putNumbers(const double* numbers, std::size_t count);
  void putNumbers(const std::vector<double>& numbers) {
    putNumbers(numbers.data(), numbers.size());
  }

  std::string& bytes() { return bytes_; }

 private:
  std::string bytes_;
};

class ByteUnpacker {
 public:
  // `cutShort`: the message of every refusal; both outlive the unpacker.
  ByteUnpacker(const std::string& bytes, const char* cutShort)
      : bytes_(bytes), cutShort_(cutShort) {}

  std::uint64_t count();
  std::int64_t integer();
  std::vector<double> numbers();
  // Throws unless every byte was read.
  void finish() const;

 private:
  void take(void* into, std::size_t size);

  const std::string& bytes_;
  const char* cutShort_;
  std::size_t at_ = 0;
};

}  // namespace linprob

#endif  // LINPROB_BASE_PACKED_BYTES_H_
