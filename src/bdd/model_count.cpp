#include "bdd/model_count.hpp"

namespace symbolic {

count_t model_counter::count(const diagram& f) {
  const std::size_t table = node_table_size();
  if (places_.size() < table) places_.resize(table);
  used_ = 0;
  if (++walk_ == 0) {  // the stamps wrapped around: forget them all
    std::fill(places_.begin(), places_.end(), place{});
    walk_ = 1;
  }
  count_below(f.root());
  const counted& root = value(f.root());
  count_t total = root.models;
  total <<= root.level;
  return total;
}

const model_counter::counted& model_counter::value(int root) const {
  if (root == diagram::false_root) return zero_;
  if (root == diagram::true_root) return one_;
  return counts_[places_[static_cast<std::size_t>(root)].index];
}

mpz_srcptr model_counter::scaled(int child, std::uint32_t parent_level, count_t& scratch) const {
  const counted& below = value(child);
  const mpz_srcptr count = below.models.backend().data();
  const std::uint32_t skipped = below.level - parent_level - 1;
  if (skipped == 0) return count;
  mpz_mul_2exp(scratch.backend().data(), count, skipped);
  return scratch.backend().data();
}

void model_counter::count_below(int root) {
  if (root == diagram::false_root || root == diagram::true_root) return;
  place& known = places_[static_cast<std::size_t>(root)];
  if (known.stamp == walk_) return;
  const diagram_node node = node_of(root);
  count_below(node.low);
  count_below(node.high);
  // Each child stands for 2^(skipped levels) times its own count.
  const std::uint32_t level = diagram_session::level(node.var);
  if (used_ == counts_.size()) counts_.emplace_back();
  counted& result = counts_[used_];
  result.level = level;
  const mpz_srcptr high = scaled(node.high, level, scratch_high_);
  const mpz_srcptr low = scaled(node.low, level, scratch_low_);
  mpz_add(result.models.backend().data(), high, low);
  known = {walk_, static_cast<std::uint32_t>(used_++)};
}

}  // namespace symbolic
