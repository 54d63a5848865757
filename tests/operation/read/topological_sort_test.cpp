#include "operation/read/topological_sort.hpp"

#include <gtest/gtest.h>

#include "../circuit_text.hpp"
#include "netlist_file.hpp"
#include "operation/read/exception.hpp"

namespace {

using namespace operation;

TEST(SortTopologically, SortsAndRefusesACycleAsAMalformedNetlist) {
  Circuit circuit =
      circuit_text::parse({"a = I", "g = AND( h_0 , a_0 )", "h = OR( a_0 , ~a_0 )", "o = O( g_0 )"});
  sort_topologically(circuit);
  EXPECT_EQ(circuit_text::lines(circuit), (std::vector<std::string>{"a = I", "h = OR( a_0 , ~a_0 )",
                                                                    "g = AND( h_0 , a_0 )", "o = O( g_0 )"}));

  Circuit cycle =
      circuit_text::parse({"a = I", "p = AND( a_0 , q_0 )", "q = OR( p_0 , a_0 )", "o = O( q_0 )"});
  EXPECT_EQ(netlist_file::error_of<ReadException>([&] { sort_topologically(cycle); }),
            "Node `p` reads `q`, which is not kept (unassigned or on a combinational cycle).");
}

}  // namespace
