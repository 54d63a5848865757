#include "bdd/diagram.hpp"

#include <bdd.h>

#include <algorithm>
#include <array>
#include <climits>
#include <csetjmp>

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

// Where the operation running now leaves the library when an allocation fails (none outside
// operations). The library cannot go on after failing to enlarge its node table, which under an
// address-space limit can happen before the table reaches the size allowed.
std::jmp_buf* allocation_failed = nullptr;

void record_error(int code) {
  if (pending_error == 0) pending_error = code;
  if (code != BDD_MEMORY) return;
  library_broken = true;
  if (allocation_failed != nullptr) std::longjmp(*allocation_failed, 1);
}

// Runs one operation of the library and returns its root; a failed allocation inside it leaves
// the library at once (only its own frames lie between) and throws `diagrams_exhausted`.
template <class Operation>
int guarded(Operation operation) {
  std::jmp_buf exit;
  if (setjmp(exit) != 0) {
    allocation_failed = nullptr;
    throw diagrams_exhausted(bdd_errstring(BDD_MEMORY));
  }
  allocation_failed = &exit;
  const int root = operation();
  allocation_failed = nullptr;
  return root;
}

void check_library() {
  if (pending_error != 0) throw diagrams_exhausted(bdd_errstring(pending_error));
}

// The library grows the table by at most this many nodes at a time.
constexpr int largest_increase = 1 << 24;

int table_nodes(std::uint64_t nodes) {
  return static_cast<int>(std::clamp<std::uint64_t>(nodes, 2, static_cast<std::uint64_t>(INT_MAX)));
}
// Sifting moves every variable through every level: with a thousand variables and millions of
// nodes one pass takes minutes (mem_ctrl.v, voter.v) and gains nothing there, and even swaps of
// neighbours cost more than they save (voter.v). Beyond this many variables the order stays as given.
constexpr std::uint32_t most_variables_to_sift = 512;
// A reordering that shrinks the table by less than this many percent ends automatic reordering:
// the order is as good as sifting makes it, and further passes would only cost.
constexpr int least_paying_gain = 10;

// Called before (1) and after (0) every automatic reordering.
void stop_reordering_without_gain(int before) {
  if (before == 0 && bdd_reorder_gain() < least_paying_gain) bdd_autoreorder(BDD_REORDER_NONE);
}

// The nodes the last garbage collection kept alive (0 before the first).
std::uint64_t nodes_kept = 0;

void note_collection(int before, bddGbcStat* stat) {
  if (before == 0) nodes_kept = static_cast<std::uint64_t>(stat->nodes - stat->freenodes);
}
// Table nodes per operation-cache entry. Smaller caches miss the processor's caches less often and
// are quicker to empty at each garbage collection: 4 counts mem_ctrl.v, max.v and voter.v
// 5-25 % faster than 2, and 8 slower again.
constexpr int cache_ratio = 4;

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
  nodes_kept = 0;
  bdd_gbc_hook(note_collection);
  bdd_reorder_verbose(0);
  bdd_setcacheratio(cache_ratio);
  bdd_setmaxincrease(largest_increase);
  // The library rounds the initial table up; the limit must lie above it.
  bdd_setmaxnodenum(std::max(max_table, bdd_getallocnum() + 1));
  // Variables are numbered from 0; the library needs at least one.
  bdd_setvarnum(static_cast<int>(std::max<std::uint32_t>(variables, 1)));
  if (reorder && variables > 1 && variables <= most_variables_to_sift) {
    bdd_varblockall();
    bdd_reorder_hook(stop_reordering_without_gain);
    bdd_autoreorder(BDD_REORDER_SIFT);
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

std::uint64_t diagram_session::nodes_kept_alive() const { return nodes_kept; }

void diagram_session::collect_garbage() { bdd_gbc(); }

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
  return diagram::adopt(guarded([&] { return bdd_apply(f.root_, g.root_, bddop_and); }));
}

diagram negation(const diagram& f) {
  check_library();
  return diagram::adopt(guarded([&] { return bdd_not(f.root_); }));
}

diagram choice(const diagram& f, const diagram& g, const diagram& h) {
  check_library();
  return diagram::adopt(guarded([&] { return bdd_ite(f.root_, g.root_, h.root_); }));
}

diagram combination(const diagram& f, const diagram& g, unsigned truth_table) {
  // The library's operator for each truth table over (a, b), bit 2a + b.
  static constexpr std::array<int, 16> operators = {
      -1,        bddop_nor,   bddop_less, -1,        bddop_diff, -1,           bddop_xor, bddop_nand,
      bddop_and, bddop_biimp, -1,         bddop_imp, -1,         bddop_invimp, bddop_or,  -1};
  const int op = operators.at(truth_table);
  if (op < 0) throw std::invalid_argument("The function does not depend on both of its inputs.");
  check_library();
  return diagram::adopt(guarded([&] { return bdd_apply(f.root_, g.root_, op); }));
}

diagram_node node_of(int root) {
  return {bdd_low(root), bdd_high(root), static_cast<std::uint32_t>(bdd_var(root))};
}

std::size_t node_table_size() { return static_cast<std::size_t>(bdd_getallocnum()); }

}  // namespace symbolic
