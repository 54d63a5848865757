#include "bdd/diagram.hpp"

#include <bdd.h>

#include <algorithm>
#include <climits>

#include "util/string.hpp"

// The library's C++ header renames the variable constructor to its class-returning version; the
// plain one returns the node number, which is what this wrapper keeps.
#undef bdd_ithvar

namespace symbolic {

namespace {

// The first library error since the session opened (0: none). The library calls the error hook
// and then returns the constant false from the failed operation; it must not end the process.
int pending_error = 0;
// Whether a session is open, and whether the library lost its node table to a failed allocation
// (it then cannot be used or closed again).
bool session_open = false;
bool library_broken = false;

void record_error(int code) {
  if (pending_error == 0) pending_error = code;
  if (code == BDD_MEMORY) library_broken = true;
}

void silent_collection(int, bddGbcStat*) {}

void check_library() {
  if (pending_error != 0) throw diagrams_exhausted(bdd_errstring(pending_error));
}

// The library grows the table by at most this many nodes at a time.
constexpr int largest_increase = 1 << 24;

int table_nodes(std::uint64_t nodes) {
  return static_cast<int>(std::clamp<std::uint64_t>(nodes, 2, static_cast<std::uint64_t>(INT_MAX)));
}
// Sifting moves every variable through every level: with a thousand variables and millions of
// nodes one pass takes minutes (mem_ctrl.v, voter.v) and gains nothing there. Beyond this many
// variables, swapping neighbours until no swap helps keeps the order tidy at a linear cost.
constexpr std::uint32_t most_variables_to_sift = 512;
constexpr int cache_ratio = 2;  // table nodes per operation-cache entry

}  // namespace

diagrams_exhausted::~diagrams_exhausted() = default;

diagram_session::diagram_session(std::uint32_t variables, table_size nodes, bool reorder)
    : variables_(variables) {
  if (session_open) throw std::logic_error("A decision diagram session is already open.");
  if (library_broken) throw diagrams_exhausted(bdd_errstring(BDD_MEMORY));
  pending_error = 0;
  bdd_error_hook(record_error);
  const int max_table = table_nodes(nodes.largest);
  const int initial = std::min(table_nodes(nodes.initial), max_table);
  if (bdd_init(initial, initial / cache_ratio) < 0) {
    const int code = pending_error != 0 ? pending_error : BDD_MEMORY;
    throw diagrams_exhausted(bdd_errstring(code));
  }
  session_open = true;
  bdd_error_hook(record_error);  // again: initialising may install the library's own hook
  bdd_gbc_hook(silent_collection);
  bdd_reorder_verbose(0);
  bdd_setcacheratio(cache_ratio);
  bdd_setmaxincrease(largest_increase);
  // The library rounds the initial table up; the limit must lie above it.
  bdd_setmaxnodenum(std::max(max_table, bdd_getallocnum() + 1));
  // Variables are numbered from 0; the library needs at least one.
  bdd_setvarnum(static_cast<int>(std::max<std::uint32_t>(variables, 1)));
  if (reorder && variables > 1) {
    bdd_varblockall();
    bdd_autoreorder(variables <= most_variables_to_sift ? BDD_REORDER_SIFT : BDD_REORDER_WIN2ITE);
  }
  if (pending_error != 0) {
    const int code = pending_error;
    close();
    throw diagrams_exhausted(bdd_errstring(code));
  }
}

void diagram_session::close() {
  if (!library_broken) bdd_done();
  session_open = false;
  pending_error = 0;
}

diagram_session::~diagram_session() { close(); }

std::uint64_t diagram_session::nodes_in_use() const { return static_cast<std::uint64_t>(bdd_getnodenum()); }

std::uint32_t diagram_session::level(std::uint32_t var) {
  return static_cast<std::uint32_t>(bdd_var2level(static_cast<int>(var)));
}

diagram::diagram(const diagram& other) : root_(other.root_) {
  if (!library_broken) bdd_addref(root_);
}

diagram::~diagram() {
  if (session_open && !library_broken) bdd_delref(root_);
}

diagram diagram::adopt(int root) {
  check_library();
  diagram result;
  result.root_ = bdd_addref(root);
  return result;
}

diagram diagram::constant(bool value) { return adopt(value ? true_root : false_root); }

diagram diagram::variable(std::uint32_t var) { return adopt(bdd_ithvar(static_cast<int>(var))); }

diagram conjunction(const diagram& f, const diagram& g) {
  check_library();
  return diagram::adopt(bdd_apply(f.root_, g.root_, bddop_and));
}

diagram negation(const diagram& f) {
  check_library();
  return diagram::adopt(bdd_not(f.root_));
}

diagram choice(const diagram& f, const diagram& g, const diagram& h) {
  check_library();
  return diagram::adopt(bdd_ite(f.root_, g.root_, h.root_));
}

diagram_node node_of(int root) {
  return {bdd_low(root), bdd_high(root), static_cast<std::uint32_t>(bdd_var(root))};
}

std::size_t node_table_size() { return static_cast<std::size_t>(bdd_getallocnum()); }

}  // namespace symbolic
