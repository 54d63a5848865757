#pragma once

#include <cstdint>
#include <iterator>
#include <ostream>
#include <string_view>
#include <utility>

namespace util {

// Writes one element with the stream's own output operator and current flags.
struct default_streamer {
  template <typename Stream, typename Element>
  void operator()(Stream& out, const Element& element) const {
    out << element;
  }
};

// Writes the elements of a container (anything with begin, end and size) to a stream, with
// configurable separator, alignment, border and brackets, eliding the middle of long sequences.
// Defaults: no limit, separator ", ", every other text empty. The setters chain:
//   out << util::printer(counts).sep(" ");
template <typename T, typename P = default_streamer>
class printer {
 public:
  explicit printer(const T& cont, P stream = P()) : cont_(cont), stream_(std::move(stream)) {}
  // The printer keeps a reference to the container: refuse temporaries.
  printer(const T&& cont, P stream = P()) = delete;

  // Most elements to show (0: all); longer sequences show the first and last limit/2 around "...".
  printer& limit(std::uint64_t n) {
    limit_ = n;
    return *this;
  }
  // Written between two elements.
  printer& sep(std::string_view s) {
    sep_ = s;
    return *this;
  }
  // Written in front of every element and of the ellipsis.
  printer& align(std::string_view s) {
    align_ = s;
    return *this;
  }
  // Written after the opening and before the closing text, only around a non-empty sequence.
  printer& border(std::string_view s) {
    border_ = s;
    return *this;
  }
  // Written first.
  printer& open(std::string_view s) {
    open_ = s;
    return *this;
  }
  // Written last.
  printer& close(std::string_view s) {
    close_ = s;
    return *this;
  }

  // Writes the sequence and returns the stream.
  std::ostream& print(std::ostream& out) const {
    out << open_;
    const auto size = static_cast<std::uint64_t>(std::size(cont_));
    if (size != 0) {
      out << border_;
      const auto first = std::begin(cont_);
      if (limit_ != 0 && size > limit_) {
        const auto half = limit_ / 2;
        write(out, first, std::next(first, half));
        out << sep_ << align_ << "..." << sep_;
        write(out, std::next(first, size - half), std::end(cont_));
      } else {
        write(out, first, std::end(cont_));
      }
      out << border_;
    }
    return out << close_;
  }

 private:
  template <typename It>
  void write(std::ostream& out, It first, It last) const {
    for (auto it = first; it != last; ++it) {
      if (it != first) {
        out << sep_;
      }
      out << align_;
      stream_(out, *it);
    }
  }

  const T& cont_;
  std::uint64_t limit_ = 0;
  std::string_view sep_ = ", ";
  std::string_view align_;
  std::string_view border_;
  std::string_view open_;
  std::string_view close_;
  P stream_;
};

// Writes the printer's sequence to the stream.
template <typename T, typename P>
std::ostream& operator<<(std::ostream& out, const printer<T, P>& p) {
  return p.print(out);
}

}  // namespace util
