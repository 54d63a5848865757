#include "util/printer.hpp"

#include <gtest/gtest.h>

#include <list>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

namespace {

template <typename T>
std::string text(const T& p) {
  std::ostringstream out;
  out << p;
  return out.str();
}

std::vector<int> zero_to_nine() {
  std::vector<int> numbers(10);
  std::iota(numbers.begin(), numbers.end(), 0);
  return numbers;
}

}  // namespace

TEST(Printer, ElidesTheMiddleBeyondTheLimit) {
  const auto numbers = zero_to_nine();
  auto plain = [&](std::uint64_t limit) { return text(util::printer(numbers).sep(" ").limit(limit)); };
  EXPECT_EQ(plain(4), "0 1 ... 8 9");
  EXPECT_EQ(plain(5), "0 1 ... 8 9");  // an odd limit shows one element fewer
  EXPECT_EQ(plain(9), "0 1 2 3 ... 6 7 8 9");
  EXPECT_EQ(plain(1), " ... ");
  EXPECT_EQ(plain(0), "0 1 2 3 4 5 6 7 8 9");
  EXPECT_EQ(plain(10), "0 1 2 3 4 5 6 7 8 9");
}

TEST(Printer, DecorationsAndDefaults) {
  const auto numbers = zero_to_nine();
  EXPECT_EQ(text(util::printer(numbers).limit(4).open("{").close("}").border("|").align("_").sep(",")),
            "{|_0,_1,_...,_8,_9|}");
  const std::vector<int> none;
  EXPECT_EQ(text(util::printer(none).open("[").close("]").border("|")), "[]");
  const std::list<std::string> words{"a", "b"};
  EXPECT_EQ(text(util::printer(words)), "a, b");
  const std::vector<unsigned long> counts{1, 1, 2, 0};
  EXPECT_EQ(text(util::printer(counts).sep(" ")), "1 1 2 0");
  auto hex = [](std::ostream& out, int value) { out << std::hex << value << std::dec; };
  EXPECT_EQ(text(util::printer(numbers, hex).sep("").limit(0)), "0123456789");
}
