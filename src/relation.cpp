#include "relation.hpp"

#include <algorithm>
#include <limits>
#include <numeric>
#include <stdexcept>
#include <tuple>

#include "util/string.hpp"

namespace {

using operation::nid_t;
using operation::siz_t;
using util::string::concat;

constexpr double minus_infinity = -std::numeric_limits<double>::infinity();

// A new array holding a copy of the `length` values at `from`.
template <typename T>
T* copy_array(const T* from, siz_t length) {
  T* copy = new T[length];
  std::copy_n(from, length, copy);
  return copy;
}

// A full n × n matrix of doubles, row after row, for the placement rounds of `build_order`.
class Square {
 public:
  explicit Square(nid_t n) : n_(n), cells_(siz_t{n} * n) {}

  double& at(nid_t i, nid_t j) { return cells_[siz_t{i} * n_ + j]; }
  // Sets column `column` to `value` in every row.
  void fill_column(nid_t column, double value) {
    for (nid_t r = 0; r < n_; ++r) at(r, column) = value;
  }
  // Sets row `row` and column `row` to `value`.
  void fill_cross(nid_t row, double value) {
    std::fill_n(&at(row, 0), n_, value);
    fill_column(row, value);
  }
  // The column of the largest entry of row `row` (the first one on ties).
  nid_t strongest_in_row(nid_t row) {
    const double* first = &at(row, 0);
    return static_cast<nid_t>(std::max_element(first, first + n_) - first);
  }

 private:
  nid_t n_;
  std::vector<double> cells_;
};

}  // namespace

Relation::Relation(nid_t fixed, nid_t inputs, nid_t nodes, bool memory)
    : _inputs(inputs), _nodes(nodes), _memory(memory) {
  if (siz_t{fixed} + inputs > nodes)
    throw std::runtime_error(concat("A relation of ", nodes, " nodes cannot cover ", fixed, " fixed and ",
                                    inputs, " input nodes."));
  try {
    alloc();
    for (nid_t f = 0; f < fixed; ++f) _influence[f] = new double[_inputs]();
    for (nid_t k = 0; k < inputs; ++k) {
      _influence[fixed + k] = new double[_inputs]();
      _influence[fixed + k][k] = 1.0;
    }
  } catch (...) {
    free();
    throw;
  }
}

Relation::Relation(const Relation& other) { copy_from(other); }

Relation::Relation(Relation&& other) noexcept { move_from(other); }

Relation& Relation::operator=(const Relation& other) {
  copy_from(other);
  return *this;
}

Relation& Relation::operator=(Relation&& other) noexcept {
  move_from(other);
  return *this;
}

Relation::~Relation() { free(); }

void Relation::release() {
  _inputs = 0;
  _nodes = 0;
  _influence = nullptr;
  _relation = nullptr;
  _found = nullptr;
}

void Relation::free() {
  free_influence();
  free_relation();
  free_found();
  release();
}

void Relation::shrink() {
  free_influence();
  free_found();
}

void Relation::copy_meta(const Relation& other) {
  free();
  _inputs = other._inputs;
  _nodes = other._nodes;
}

void Relation::copy_from(const Relation& other) {
  if (this == &other) return;
  // Built aside, so a failed allocation leaves this relation as it was.
  Relation copy;
  copy.copy_meta(other);
  if (other._influence != nullptr) {
    copy._influence = new double*[other._nodes]();
    for (nid_t n = 0; n < other._nodes; ++n)
      if (other._influence[n] != nullptr) copy._influence[n] = copy_array(other._influence[n], other._inputs);
  }
  if (other._relation != nullptr) {
    copy._relation = new double*[other._inputs]();
    for (nid_t i = 0; i < other._inputs; ++i)
      copy._relation[i] = copy_array(other._relation[i], siz_t{i} + 1);
  }
  if (other._found != nullptr) copy._found = copy_array(other._found, other._nodes);
  move_from(copy);
}

void Relation::move_from(Relation& other) {
  if (this == &other) return;
  copy_meta(other);
  _influence = other._influence;
  _relation = other._relation;
  _found = other._found;
  other.release();
}

void Relation::alloc_influence() {
  free_influence();
  _influence = new double*[_nodes]();
}

void Relation::alloc_relation() {
  free_relation();
  _relation = new double*[_inputs]();
  for (nid_t i = 0; i < _inputs; ++i) _relation[i] = new double[siz_t{i} + 1]();
}

void Relation::alloc_found() {
  free_found();
  _found = new nid_t[_nodes]();
}

void Relation::alloc() {
  alloc_influence();
  alloc_relation();
  alloc_found();
}

void Relation::free_influence() {
  if (_influence == nullptr) return;
  for (nid_t n = 0; n < _nodes; ++n) delete[] _influence[n];
  delete[] _influence;
  _influence = nullptr;
}

void Relation::free_relation() {
  if (_relation == nullptr) return;
  for (nid_t i = 0; i < _inputs; ++i) delete[] _relation[i];
  delete[] _relation;
  _relation = nullptr;
}

void Relation::free_found() {
  delete[] _found;
  _found = nullptr;
}

void Relation::add(nid_t nid, const operation::Circuit& circuit) {
  check_addable(nid, circuit);
  if (_influence[nid] == nullptr) _influence[nid] = new double[_inputs]();
  double* vector = _influence[nid];
  const auto arcs = circuit[nid].inputs();
  for (const operation::arc_t& arc : arcs) {
    const double* source = _influence[arc.node];
    for (nid_t k = 0; k < _inputs; ++k) vector[k] += source[k];
  }
  // Readers are counted only once every source has been summed, so a node read twice by this one
  // keeps its vector until both arcs are done.
  if (_memory)
    for (const operation::arc_t& arc : arcs) count_reader(arc.node, circuit);
  normalize_influences(nid, _inputs);
  add_products(nid);
  if (_memory && circuit.fanout_count(nid) == 0) drop_influence(nid);
}

void Relation::check_addable(nid_t nid, const operation::Circuit& circuit) const {
  if (_influence == nullptr) throw std::runtime_error("The influence vectors have been freed.");
  if (_memory && _found == nullptr) throw std::runtime_error("The reader counters have been freed.");
  assert_relation();
  if (nid >= _nodes || nid >= circuit.size())
    throw std::runtime_error(concat("Node ", nid, " is outside the relation (", _nodes,
                                    " nodes) or the circuit (", circuit.size(), " nodes)."));
  for (const operation::arc_t& arc : circuit[nid].inputs()) {
    const nid_t source = arc.node;
    if (source == nid) throw std::runtime_error(concat("Node `", circuit.name(nid), "` reads itself."));
    if (source >= _nodes || !has_influence(source))
      throw std::runtime_error(concat("Node `", circuit.name(nid), "` reads `", circuit.name(source),
                                      "`, which has no influence vector (not added yet, or dropped after "
                                      "its last counted reader)."));
  }
}

void Relation::count_reader(nid_t source, const operation::Circuit& circuit) {
  if (++_found[source] == circuit.fanout_count(source)) drop_influence(source);
}

void Relation::normalize_influences(nid_t id, nid_t inputs) {
  if (inputs > _inputs)
    throw std::runtime_error(concat("Cannot normalise ", inputs, " entries of vectors of ", _inputs, "."));
  if (!has_influence(id)) return;
  double* vector = _influence[id];
  const double sum = std::accumulate(vector, vector + inputs, 0.0);
  if (sum == 0) return;
  for (nid_t k = 0; k < inputs; ++k) vector[k] /= sum;
}

void Relation::add_products(nid_t nid) {
  const double* vector = _influence[nid];
  for (nid_t i = 1; i < _inputs; ++i) {
    if (vector[i] == 0) continue;
    double* row = _relation[i];
    for (nid_t j = 0; j < i; ++j) row[j] += vector[i] * vector[j];
  }
}

void Relation::drop_influence(nid_t node) {
  delete[] _influence[node];
  _influence[node] = nullptr;
}

void Relation::assert_relation() const {
  if (_relation == nullptr && _inputs > 0) throw std::runtime_error("The relation matrix has been freed.");
}

double Relation::influence(nid_t node, nid_t input) const {
  if (!has_influence(node)) throw std::runtime_error(concat("Node ", node, " has no influence vector."));
  return _influence[node][input];
}

void Relation::select(nid_t count, nid_t* to) const {
  if (count == 0) return;
  if (_inputs == 0) throw std::runtime_error("Cannot select inputs of a relation without inputs.");
  assert_relation();
  std::vector<double> totals(_inputs);
#pragma omp parallel for schedule(static)
  for (nid_t i = 0; i < _inputs; ++i) {
    double total = 0;
    for (nid_t j = 0; j < _inputs; ++j) total += relation(i, j);
    totals[i] = total;
  }
  for (nid_t round = 0; round < count; ++round) {
    const nid_t chosen = static_cast<nid_t>(std::max_element(totals.begin(), totals.end()) - totals.begin());
    to[round] = chosen;
    totals[chosen] = 0;
    for (nid_t j = 0; j < _inputs; ++j) totals[j] -= relation(j, chosen);
  }
}

std::list<nid_t> Relation::order_ignoring(const std::vector<nid_t>& ignored) const {
  for (const nid_t x : ignored)
    if (x >= _inputs)
      throw std::runtime_error(concat("Input ", x, " is outside the relation (", _inputs, " inputs)."));
  if (_inputs < 2) {
    std::list<nid_t> trivial;
    for (nid_t i = 0; i < _inputs; ++i) trivial.push_back(i);
    return trivial;
  }
  assert_relation();

  Square weights(_inputs);
  for (nid_t i = 0; i < _inputs; ++i)
    for (nid_t j = 0; j < _inputs; ++j) weights.at(i, j) = i == j ? minus_infinity : relation(i, j);
  for (const nid_t x : ignored) weights.fill_cross(x, 0);

  // The most strongly related pair starts the line.
  nid_t front = 1;
  nid_t back = 0;
  for (nid_t i = 1; i < _inputs; ++i)
    for (nid_t j = 0; j < i; ++j)
      if (weights.at(i, j) > weights.at(front, back)) {
        front = i;
        back = j;
      }
  std::list<nid_t> order{front, back};
  weights.fill_column(front, minus_infinity);
  weights.fill_column(back, minus_infinity);

  // Each round puts the input most related to one of the two ends beside it (the back on a tie).
  while (order.size() < _inputs) {
    const nid_t at_front = weights.strongest_in_row(order.front());
    const nid_t at_back = weights.strongest_in_row(order.back());
    const bool to_front = weights.at(order.front(), at_front) > weights.at(order.back(), at_back);
    const nid_t placed = to_front ? at_front : at_back;
    if (to_front)
      order.push_front(placed);
    else
      order.push_back(placed);
    weights.fill_column(placed, minus_infinity);
  }
  return order;
}
