#include "simulation/port_readers.hpp"

#include <gtest/gtest.h>

#include <vector>

#include "../operation/circuit_text.hpp"

using operation::nid_t;

namespace {

std::vector<nid_t> readers_of(const simulation::port_readers& readers, nid_t n, operation::pos_t p) {
  const auto span = readers.readers(n, p);
  return {span.begin(), span.end()};
}

}  // namespace

TEST(PortReaders, ListEachLogicReaderOnceInPositionOrderAndCountEveryArc) {
  // Nodes: a 0, b 1, r 2 (ports 0 to 2), g 3, h 4, w 5, k 6; ports numbered in node order.
  const auto circuit =
      circuit_text::parse({"a = I", "b = I", "r = REC2.AND( a_0 , b_0 )", "g = XOR( r_1 , r_1 )",
                           "h = MAJ( a_0 , r_2 , ~a_0 )", "w = ( h_0 )", "k = AND( a_0 , r_1 )"});
  const simulation::port_readers readers(circuit);
  EXPECT_EQ(readers.index(2, 0), 2u);
  EXPECT_EQ(readers.index(3, 0), 5u);
  EXPECT_EQ(readers.ports_before(6), 8u);
  EXPECT_EQ(readers_of(readers, 0, 0), (std::vector<nid_t>{2, 4, 6}));  // h reads a twice
  EXPECT_EQ(readers_of(readers, 2, 1), (std::vector<nid_t>{3, 6}));     // g reads r_1 twice
  EXPECT_EQ(readers_of(readers, 2, 0), (std::vector<nid_t>{}));
  EXPECT_EQ(readers_of(readers, 4, 0), (std::vector<nid_t>{5}));
  EXPECT_EQ(readers_of(readers, 6, 0), (std::vector<nid_t>{}));
  // Arcs, not readers, tell when a table may go without the cache.
  EXPECT_EQ(readers.arc_counts(), (std::vector<nid_t>{4, 1, 0, 3, 1, 0, 1, 0, 0}));
}
