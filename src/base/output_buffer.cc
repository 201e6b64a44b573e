#include "base/output_buffer.h"

#include <cerrno>
#include <utility>

namespace linprob {

OutputBuffer::OutputBuffer(std::stop_token stop)
    : stop_(std::move(stop)), space_(kBlockBytes) {
  setp(space_.data(), space_.data() + space_.size());
}

void OutputBuffer::noteError(int error) {
  if (error_ == 0) error_ = error;
}

bool OutputBuffer::drain() {
  if (error_ == 0 && stop_.stop_requested()) error_ = ECANCELED;
  const std::size_t size = static_cast<std::size_t>(pptr() - pbase());
  if (error_ == 0 && size > 0) noteError(emit(pbase(), size));
  setp(space_.data(), space_.data() + space_.size());
  return error_ == 0;
}

int OutputBuffer::sync() {
  if (error_ == 0 && stop_.stop_requested()) error_ = ECANCELED;
  return error_ == 0 ? 0 : -1;
}

OutputBuffer::int_type OutputBuffer::overflow(int_type c) {
  if (!drain()) return traits_type::eof();
  if (!traits_type::eq_int_type(c, traits_type::eof())) {
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
  }
  return traits_type::not_eof(c);
}

TextOutput::TextOutput(std::stop_token stop)
    : buffer_(std::move(stop)), stream_(&buffer_) {}

int TextOutput::Buffer::emit(const char* data, std::size_t size) {
  text.append(data, size);
  return 0;
}

std::string TextOutput::take() {
  if (!buffer_.drain()) stream_.setstate(std::ios::badbit);
  return std::move(buffer_.text);
}

}  // namespace linprob
