#include "join/replicate_spread.hpp"

#include "entropy.hpp"

namespace join {

void running_spread::add(const mp_flt& estimate) {
  ++count_;
  const mp_flt deviation = estimate - mean_;
  mean_ += deviation / count_;
  squares_ += deviation * (estimate - mean_);
}

mp_flt running_spread::standard_error() const { return sqrt(squares_ / (count_ - 1) / count_); }

void replicate_spread::add_file(const CountTable& table) {
  gates_.resize(table.size());
  mp_flt total = 0;
  for (operation::nid_t nid = 0; nid < table.size(); ++nid) {
    const mp_flt energy = measure_gate(table.gate(nid), table.file_combs(nid)).energy;
    gates_[nid].add(energy);
    total += energy;
  }
  total_.add(total);
}

}  // namespace join
