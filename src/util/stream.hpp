#pragma once

#include <cstddef>
#include <ostream>
#include <streambuf>

namespace util {

// A stream buffer that accepts everything and keeps nothing: whenever its put area (a scratch
// array) is full it starts over at the beginning, so writes are overwritten in place.
template <typename CharT>
class null_buffer : public std::basic_streambuf<CharT> {
 public:
  using traits_type = typename std::basic_streambuf<CharT>::traits_type;
  using int_type = typename traits_type::int_type;

  null_buffer(CharT* scratch, std::size_t size) : scratch_(scratch), size_(size) {}

 protected:
  int_type overflow(int_type c) override {
    this->setp(scratch_, scratch_ + size_);
    return traits_type::eq_int_type(c, traits_type::eof()) ? int_type(0) : c;
  }

 private:
  CharT* scratch_;
  std::size_t size_;
};

// An output stream bound to a discarding buffer: for output that nobody wants to see.
template <typename CharT>
class null_ostream : public std::basic_ostream<CharT> {
 public:
  explicit null_ostream(null_buffer<CharT>& buffer) : std::basic_ostream<CharT>(&buffer) {}
};

// The scratch array of `null_buff`.
extern char buffer[1024];
// The process's discarding buffer over `buffer`.
extern null_buffer<char> null_buff;
// The process's discarding stream over `null_buff`.
extern null_ostream<char> null_ostr;

}  // namespace util
