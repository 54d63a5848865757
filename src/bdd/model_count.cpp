#include "bdd/model_count.hpp"

namespace symbolic {

std::uint32_t model_counter::level_of(int root) const {
  if (root == diagram::false_root || root == diagram::true_root) return variables_;
  return diagram_session::level(variable_of(root));
}

count_t model_counter::count(const diagram& f) {
  const std::size_t table = node_table_size();
  if (places_.size() < table) {
    places_.resize(table);
    stamps_.resize(table, 0);
  }
  used_ = 0;
  if (++walk_ == 0) {  // the stamps wrapped around: forget them all
    std::fill(stamps_.begin(), stamps_.end(), 0);
    walk_ = 1;
  }
  count_below(f.root());
  count_t total = value(f.root());
  total <<= level_of(f.root());
  return total;
}

const count_t& model_counter::value(int root) const {
  if (root == diagram::false_root) return zero_;
  if (root == diagram::true_root) return one_;
  return counts_[places_[static_cast<std::size_t>(root)]];
}

void model_counter::count_below(int root) {
  if (root == diagram::false_root || root == diagram::true_root) return;
  const auto index = static_cast<std::size_t>(root);
  if (stamps_[index] == walk_) return;
  const diagram_node node = node_of(root);
  count_below(node.low);
  count_below(node.high);
  // Each child stands for 2^(skipped levels) times its own count.
  const std::uint32_t level = diagram_session::level(node.var);
  if (used_ == counts_.size()) counts_.emplace_back();
  count_t& result = counts_[used_];
  mpz_mul_2exp(result.backend().data(), value(node.high).backend().data(), level_of(node.high) - level - 1);
  mpz_mul_2exp(scratch_.backend().data(), value(node.low).backend().data(), level_of(node.low) - level - 1);
  result += scratch_;
  places_[index] = static_cast<std::uint32_t>(used_++);
  stamps_[index] = walk_;
}

}  // namespace symbolic
