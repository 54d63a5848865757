#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <utility>

// Binary decision diagrams over the primary inputs, kept by the BuDDy library. The library has one
// node table per process: one `diagram_session` opens it and every `diagram` lives inside it.
namespace symbolic {

// The library could not build a diagram: its node table reached the largest size allowed, or
// memory ran out. The message is the library's reason.
class diagrams_exhausted : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
  ~diagrams_exhausted() override;
};

// How many nodes the table starts with and may grow to. A large start saves garbage collections,
// each of which empties the operation caches.
struct table_size {
  std::uint64_t initial;
  std::uint64_t largest;
};

// The library's node table, open from construction to destruction, with `variables` variables
// (variable k starts at level k; with `reorder` and at most 512 variables, sifting moves them each
// time the table's live nodes double, until a pass gains less than a tenth). Library errors
// are recorded instead of ending the process, and every operation that met one throws `diagrams_exhausted`.
// Only one session may be open at a time; after running out of memory the library cannot be opened again in
// this process.
class diagram_session {
 public:
  diagram_session(std::uint32_t variables, table_size nodes, bool reorder);
  diagram_session(const diagram_session&) = delete;
  diagram_session& operator=(const diagram_session&) = delete;
  ~diagram_session();

  std::uint32_t variables() const { return variables_; }
  // The nodes in use in the table (live diagrams and garbage not yet collected).
  std::uint64_t nodes_in_use() const;
  // The nodes that the last garbage collection found alive (0 before the first): the size of the
  // diagrams held, without the garbage that `nodes_in_use` also counts.
  std::uint64_t nodes_kept_alive() const;
  // Collects the garbage now: afterwards `nodes_kept_alive` counts the diagrams held.
  void collect_garbage();
  // The current level of variable `var` (0: the top).
  static std::uint32_t level(std::uint32_t var);

 private:
  void close();

  std::uint32_t variables_;
};

// One diagram: a counted reference to its root, which protects it from garbage collection.
// Copies share the root; an empty (default) diagram is the constant false.
class diagram {
 public:
  diagram() = default;
  diagram(const diagram& other);
  diagram(diagram&& other) noexcept : root_(other.root_) { other.root_ = false_root; }
  diagram& operator=(diagram other) noexcept {
    std::swap(root_, other.root_);
    return *this;
  }
  ~diagram();

  static diagram constant(bool value);
  // The diagram of variable `var` alone.
  static diagram variable(std::uint32_t var);

  // The library's node number of the root: 0 and 1 are the constants.
  int root() const { return root_; }
  bool is_constant() const { return root_ == false_root || root_ == true_root; }
  bool operator==(const diagram& other) const { return root_ == other.root_; }

  // The diagram of f ∧ g.
  friend diagram conjunction(const diagram& f, const diagram& g);
  // The diagram of ¬f.
  friend diagram negation(const diagram& f);
  // The diagram of "if f then g else h".
  friend diagram choice(const diagram& f, const diagram& g, const diagram& h);
  // The diagram of h(f, g) for the two-input function h whose bit 2a + b of `truth_table` is h(a, b),
  // in one operation; h must depend on both inputs (not 0, 3, 5, 10, 12 or 15).
  friend diagram combination(const diagram& f, const diagram& g, unsigned truth_table);

  static constexpr int false_root = 0;
  static constexpr int true_root = 1;

 private:
  // Takes over a root that an operation returned (after checking for a library error).
  static diagram adopt(int root);

  int root_ = false_root;
};

// Node numbers of a root's two children and its variable, for walking a diagram.
struct diagram_node {
  int low;
  int high;
  std::uint32_t var;
};
diagram_node node_of(int root);

// The number of node slots in the table: every node number is below it.
std::size_t node_table_size();

}  // namespace symbolic
