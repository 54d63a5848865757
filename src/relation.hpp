#pragma once

#include <cstddef>
#include <iterator>
#include <list>
#include <vector>

#include "operation/circuit.hpp"
#include "operation/operation.hpp"

// How strongly pairs of primary inputs act together in a circuit, as a basis for choosing and
// ordering inputs. Every node gets an influence vector over the inputs: sources start as unit
// vectors, a node's vector is the normalised sum of its inputs' vectors. Every added node adds the
// products of its vector's entries to a symmetric input-by-input relation matrix R, kept as its lower
// triangle. `select` and `build_order` read R.
class Relation {
 public:
  using nid_t = operation::nid_t;
  class const_iterator;

  // An empty relation without tables.
  Relation() = default;
  // Zeroed tables for `nodes` nodes over `inputs` inputs: each of the first `fixed` nodes gets a zero
  // vector and node fixed + k the unit vector of input k; later nodes get theirs from `add`. With
  // `memory`, `add` drops every vector once its last reader is added. Throws std::runtime_error when
  // fixed + inputs exceeds nodes.
  Relation(nid_t fixed, nid_t inputs, nid_t nodes, bool memory);
  // Deep copy of the tables (the copy keeps its own memory mode).
  Relation(const Relation& other);
  // Takes over the other's tables and leaves it empty.
  Relation(Relation&& other) noexcept;
  Relation& operator=(const Relation& other);
  Relation& operator=(Relation&& other) noexcept;
  ~Relation();

  // Forgets the tables without freeing them; both counts become 0.
  void release();
  // Frees every table and releases.
  void free();
  // Frees the influence vectors and the counters, keeping the relation matrix: all that is needed
  // once every node has been added.
  void shrink();
  // Frees this relation and takes the other's two counts, without tables.
  void copy_meta(const Relation& other);
  // This relation becomes a copy of the other: every table it has, with only its present vectors.
  void copy_from(const Relation& other);
  // This relation takes over the other's tables; the other is left empty.
  void move_from(Relation& other);

  // The array of influence vectors, all absent (any previous one is freed).
  void alloc_influence();
  // The triangular relation matrix, all 0 (any previous one is freed).
  void alloc_relation();
  // One reader counter per node, all 0 (any previous ones are freed).
  void alloc_found();
  // All three tables.
  void alloc();
  // Frees the influence vectors and their array.
  void free_influence();
  // Frees the relation matrix.
  void free_relation();
  // Frees the reader counters.
  void free_found();

  // Computes node `nid`'s influence vector from the vectors of the nodes it reads and adds the
  // products of its entries to R. Nodes must be added in a topological order. Throws
  // std::runtime_error, changing nothing, when the node is outside the relation, reads itself or
  // reads a node without a vector (not added yet, or dropped after its last counted reader).
  void add(nid_t nid, const operation::Circuit& circuit);
  // Divides the first `inputs` entries of node `id`'s vector by their sum when the sum is not 0
  // (`inputs` is at most inputs(); an absent vector is left alone).
  void normalize_influences(nid_t id, nid_t inputs);
  // Writes `count` input indices to `to`, greedily by largest remaining total relation (the lower
  // index on ties); a chosen input's total is reset to 0 and may be chosen again. Throws
  // std::runtime_error when count > 0 and there are no inputs.
  void select(nid_t count, nid_t* to) const;
  // Every input once, in a line where strongly related inputs stand next to each other; the inputs
  // listed in [i_b, i_e) have their relations ignored and so end up at the ends. With fewer than two
  // inputs the order is the trivial one. Throws std::runtime_error for a listed index that is not an input.
  template <typename It>
  std::list<nid_t> build_order(It i_b, It i_e) const {
    return order_ignoring(std::vector<nid_t>(i_b, i_e));
  }

  // Number of primary inputs (length of each influence vector).
  nid_t inputs() const { return _inputs; }
  // Number of nodes covered.
  nid_t nodes() const { return _nodes; }
  // Whether `add` drops vectors after their last reader.
  bool memory() const { return _memory; }
  // Whether node `node` currently holds an influence vector.
  bool has_influence(nid_t node) const { return _influence != nullptr && _influence[node] != nullptr; }
  // Entry `input` of node `node`'s influence vector; throws std::runtime_error when it has none.
  double influence(nid_t node, nid_t input) const;
  // R(i, j), read symmetrically from the lower triangle (which must be allocated; not checked).
  double relation(nid_t i, nid_t j) const { return i >= j ? _relation[i][j] : _relation[j][i]; }

  // Every position (row, column) of the full n × n matrix, row by row, each yielding relation(row, column).
  const_iterator begin() const;
  const_iterator end() const;
  const_iterator cbegin() const;
  const_iterator cend() const;

 private:
  // build_order with the ignored inputs collected.
  std::list<nid_t> order_ignoring(const std::vector<nid_t>& ignored) const;
  // Throws std::runtime_error unless every arc of node `nid` can be read by `add`.
  void check_addable(nid_t nid, const operation::Circuit& circuit) const;
  // Counts one more reader of node `source` and drops its vector after the last one.
  void count_reader(nid_t source, const operation::Circuit& circuit);
  // Adds node `nid`'s products v_i · v_j (j < i) to R.
  void add_products(nid_t nid);
  // Frees node `node`'s vector, if any.
  void drop_influence(nid_t node);
  // Throws std::runtime_error when the relation matrix is absent.
  void assert_relation() const;

  nid_t _inputs = 0;              // n: number of primary inputs
  nid_t _nodes = 0;               // number of circuit nodes covered
  double** _influence = nullptr;  // per node: n doubles, or null while not computed or dropped
  double** _relation = nullptr;   // per input i: row i of R's lower triangle, i + 1 doubles
  nid_t* _found = nullptr;        // per node: readers added so far (counted only with _memory)
  bool _memory = false;           // drop each vector once its last reader is added
};

// Walks the full relation matrix row by row, yielding relation(row, column) at each position.
class Relation::const_iterator {
 public:
  using iterator_concept = std::forward_iterator_tag;
  using iterator_category = std::input_iterator_tag;
  using value_type = double;
  using difference_type = std::ptrdiff_t;
  using reference = double;

  const_iterator() = default;
  const_iterator(const Relation* relation, nid_t row, nid_t column)
      : relation_(relation), row_(row), column_(column) {}

  double operator*() const { return relation_->relation(row_, column_); }
  const_iterator& operator++() {
    if (++column_ == relation_->inputs()) {
      column_ = 0;
      ++row_;
    }
    return *this;
  }
  const_iterator operator++(int) {
    const_iterator before = *this;
    ++*this;
    return before;
  }
  bool operator==(const const_iterator& other) const {
    return row_ == other.row_ && column_ == other.column_;
  }

  // The current position.
  nid_t row() const { return row_; }
  nid_t column() const { return column_; }

 private:
  const Relation* relation_ = nullptr;
  nid_t row_ = 0;
  nid_t column_ = 0;
};

inline Relation::const_iterator Relation::begin() const { return {this, 0, 0}; }
inline Relation::const_iterator Relation::end() const { return {this, _inputs, 0}; }
inline Relation::const_iterator Relation::cbegin() const { return begin(); }
inline Relation::const_iterator Relation::cend() const { return end(); }
