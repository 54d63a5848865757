#include "report/sources.hpp"

#include <gtest/gtest.h>

#include "util/argparse/exception.hpp"

using report::counting_method;
using report::describe;
using report::method_of_options;

TEST(Sources, MethodFromTheRecordedFullsimOptions) {
  EXPECT_EQ(describe(method_of_options({})), "enumeration (exact)");
  EXPECT_EQ(describe(method_of_options({"-input-sort", "no", "-use-bits", "auto"})), "enumeration (exact)");
  EXPECT_EQ(describe(method_of_options({"-method", "bdd"})), "decision diagrams (exact)");
  EXPECT_EQ(describe(method_of_options({"-use-bits", "14", "-samples", "4096", "-replicates", "8"})),
            "sampling with 4096 batches × 8 replicates");
  EXPECT_EQ(describe(method_of_options({"-samples", "100"})), "sampling with 100 batches × 1 replicate");
  // A value that merely looks like an option name is no option.
  EXPECT_EQ(method_of_options({"-filetype", "-samples"}).how, counting_method::kind::enumeration);
  EXPECT_THROW(method_of_options({"-samples", "many"}), util::exception);
  EXPECT_THROW(method_of_options({"-samples", "0"}), util::exception);
  EXPECT_THROW(method_of_options({"-samples", "10", "-replicates", "-1"}), util::exception);
}
