#include "base/input_snapshot.h"

#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "base/input_snapshot_hooks.h"

namespace linprob {
namespace {

InputSnapshot* recordingSnapshot = nullptr;
const InputSnapshot* servedSnapshot = nullptr;

void putSize(std::string& out, std::uint64_t size) {
  char bytes[sizeof size];
  std::memcpy(bytes, &size, sizeof size);
  out.append(bytes, sizeof size);
}

void putText(std::string& out, const std::string& text) {
  putSize(out, text.size());
  out += text;
}

// Reads what putSize and putText wrote, from `at` on.
class Reader {
 public:
  explicit Reader(const std::string& bytes) : bytes_(bytes) {}

  std::uint64_t size() {
    std::uint64_t value = 0;
    need(sizeof value);
    std::memcpy(&value, bytes_.data() + at_, sizeof value);
    at_ += sizeof value;
    return value;
  }
  std::string text() {
    const std::uint64_t length = size();
    need(length);
    std::string value = bytes_.substr(at_, length);
    at_ += length;
    return value;
  }
  bool done() const { return at_ == bytes_.size(); }

 private:
  void need(std::uint64_t count) const {
    if (count > bytes_.size() - at_) {
      throw std::runtime_error("input snapshot: cut short");
    }
  }
  const std::string& bytes_;
  std::size_t at_ = 0;
};

}  // namespace

std::string InputSnapshot::toBytes() const {
  std::string out;
  putSize(out, files.size());
  for (const auto& [path, entry] : files) {
    putText(out, path);
    putText(out, entry.problem);
    putText(out, entry.bytes);
  }
  return out;
}

InputSnapshot InputSnapshot::fromBytes(const std::string& bytes) {
  Reader in(bytes);
  InputSnapshot snapshot;
  for (std::uint64_t count = in.size(); count > 0; --count) {
    std::string path = in.text();
    Entry& entry = snapshot.files[path];
    entry.problem = in.text();
    entry.bytes = in.text();
  }
  if (!in.done()) throw std::runtime_error("input snapshot: cut short");
  return snapshot;
}

InputRecording::InputRecording(InputSnapshot* snapshot) {
  recordingSnapshot = snapshot;
}
InputRecording::~InputRecording() { recordingSnapshot = nullptr; }

InputServing::InputServing(const InputSnapshot* snapshot) {
  servedSnapshot = snapshot;
}
InputServing::~InputServing() { servedSnapshot = nullptr; }

InputSnapshot* recordingInputs() { return recordingSnapshot; }
const InputSnapshot* servedInputs() { return servedSnapshot; }

}  // namespace linprob
