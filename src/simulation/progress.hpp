#pragma once

#include <cstdint>
#include <iosfwd>
#include <limits>
#include <string>
#include <string_view>

#include "counting/settings.hpp"
#include "operation/circuit.hpp"
#include "util/eta.hpp"

namespace simulation {

// A byte count in its binary unit: value with `decimals` decimals, a blank, the symbol and "B".
std::string bytes_text(std::uint64_t bytes, std::uint64_t decimals);

// The first lines of a counting run's summary, the same for every method: the circuit's inputs,
// outputs, gates and logic levels.
void print_circuit_summary(std::ostream& out, const operation::Circuit& circuit, std::uint64_t levels);

// What the simulation reports while it runs and when it ends: the time checks made after every
// gate, the progress line rewritten in place after batches, and the closing summary line.
class progress {
 public:
  progress(const counting::settings& config, std::uint64_t max_batch, std::ostream& out);

  // Starts the remaining-time estimate from fraction 0 (just before the tables are built).
  void start_estimate();
  // Marks the start of the simulation: the reference of every time shown and checked.
  void start();

  // Whether the run has a time limit at all (then `out_of_time` is asked after every gate).
  bool timed() const { return time_limit_ <= std::numeric_limits<double>::max(); }
  // Whether the time limit, or with "-predict-time" the predicted total time, ends the run now,
  // with `batch_iter` batches complete.
  bool out_of_time(std::uint64_t batch_iter) const;

  // After a completed batch: prints the progress line when it is due.
  void batch_done(std::uint64_t batch_iter, std::uint64_t same_count);
  // After the loop: returns the seconds since `start` and prints the closing summary.
  double finish(std::uint64_t same_count, std::string_view status);

  // The time checks of a run `test_time` seconds in, with `batch_iter` batches complete: past the
  // limit; or, with `predict`, from the third batch and 5 seconds on, a predicted total (`eta()`
  // seconds still to go) beyond three times the limit.
  template <typename Eta>
  static bool time_is_up(double test_time, std::uint64_t batch_iter, double time_limit, bool predict,
                         Eta eta) {
    if (test_time > time_limit) return true;
    if (!predict || batch_iter <= 2 || test_time <= 5.0) return false;
    return test_time + eta() > 3.0 * time_limit;
  }

  // The progress line of `batch_iter` batches done (memory, time and estimate as given).
  static std::string line(std::uint64_t batch_iter, std::uint64_t max_batch, std::uint64_t same_count,
                          std::uint64_t memory, double seconds, double eta);
  // The closing summary line, without its line ends.
  static std::string summary(std::uint64_t same_count, std::uint64_t peak_memory, double seconds,
                             std::string_view status);

 private:
  double seconds() const;
  bool due(std::uint64_t batch_iter) const;

  std::ostream& out_;
  std::uint64_t print_every_;
  std::uint64_t max_batch_;
  double time_limit_;
  bool time_predict_;
  util::eta<double> eta_;
  double start_ = 0;
};

}  // namespace simulation
