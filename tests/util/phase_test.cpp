#include "util/phase.hpp"

#include <gtest/gtest.h>

#include <cctype>
#include <sstream>
#include <string>

namespace {

// The text with every "time = <digits>.<5 digits>s" replaced by "time = Xs"; other
// shapes of the number are left as they are, so that the comparison fails.
std::string mask_times(std::string text) {
  const std::string key = "time = ";
  for (auto at = text.find(key); at != std::string::npos; at = text.find(key, at + 1)) {
    const auto start = at + key.size();
    const auto point = text.find('.', start);
    const auto end = text.find('s', start);
    const bool digits_before =
        point != std::string::npos && point > start && text.find_first_not_of("0123456789", start) == point;
    const bool five_after = end == point + 6 && text.find_first_not_of("0123456789", point + 1) == end;
    if (digits_before && five_after) {
      text.replace(start, end - start, "X");
    }
  }
  return text;
}

}  // namespace

TEST(Phase, PrintsStartAndEndBanners) {
  std::ostringstream out;
  const util::phase reading("reading file", ": time = ", out);
  EXPECT_EQ(out.str(), "reading file\n");
  reading.end();
  reading.end_last();
  EXPECT_EQ(mask_times(out.str()),
            "reading file\n"
            "reading file: time = Xs\n\n"
            "reading file: time = Xs\n");

  std::ostringstream approximate;
  util::phase("freeing memory", " time = ", approximate).end_last();
  EXPECT_EQ(mask_times(approximate.str()), "freeing memory\nfreeing memory time = Xs\n");
}
