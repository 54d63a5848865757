#include "simulation/progress.hpp"

#include <ostream>
#include <string>

#include "util/clock.hpp"
#include "util/resources.hpp"
#include "util/string.hpp"
#include "util/unit.hpp"

namespace simulation {

std::string bytes_text(std::uint64_t bytes, std::uint64_t decimals) {
  const auto [value, symbol, name] = util::unit::binary(bytes);
  return util::string::concat(util::string::fromf(value, decimals), " ", symbol, "B");
}

void print_circuit_summary(std::ostream& out, const operation::Circuit& circuit, std::uint64_t levels) {
  out << "inputs = " << circuit.input_count() << '\n'
      << "outputs = " << circuit.output_count() << '\n'
      << "gates = " << circuit.logic_count() << '\n'
      << "levels = " << levels << '\n';
}

progress::progress(const counting::settings& config, std::uint64_t max_batch, std::ostream& out)
    : out_(out),
      print_every_(config.print_every),
      max_batch_(max_batch),
      time_limit_(config.time_limit),
      time_predict_(config.time_predict) {}

void progress::start_estimate() { eta_ = util::eta<double>(1, 0.0); }

void progress::start() { start_ = util::steady_seconds(); }

double progress::seconds() const { return util::steady_seconds() - start_; }

bool progress::out_of_time(std::uint64_t batch_iter) const {
  return time_is_up(seconds(), batch_iter, time_limit_, time_predict_,
                    [&] { return eta_.get(batch_iter, max_batch_); });
}

bool progress::due(std::uint64_t batch_iter) const {
  // batch_iter + print_every >= max_batch, without overflow (batch_iter <= max_batch).
  return print_every_ != 0 &&
         (batch_iter == 1 || print_every_ >= max_batch_ - batch_iter || batch_iter % print_every_ == 0);
}

void progress::batch_done(std::uint64_t batch_iter, std::uint64_t same_count) {
  if (!due(batch_iter)) return;
  out_ << line(batch_iter, max_batch_, same_count, util::rss::current(), seconds(),
               eta_.get(batch_iter, max_batch_))
       << std::flush;
}

double progress::finish(std::uint64_t same_count, std::string_view status) {
  const double elapsed = seconds();
  if (print_every_ != 0)
    out_ << '\n' << summary(same_count, util::rss::peak(), elapsed, status) << "\n\n" << std::flush;
  return elapsed;
}

std::string progress::line(std::uint64_t batch_iter, std::uint64_t max_batch, std::uint64_t same_count,
                           std::uint64_t memory, double seconds, double eta) {
  using util::string::fromf;
  return util::string::concat("\r\x1b[K", batch_iter, " / ", max_batch, ": same = ", same_count,
                              ", memory = ", bytes_text(memory, 3), ", time = ", fromf(seconds, 3),
                              "s, ETA = ", fromf(eta, 3), "s");
}

std::string progress::summary(std::uint64_t same_count, std::uint64_t peak_memory, double seconds,
                              std::string_view status) {
  return util::string::concat("simulation: same = ", same_count, ", memory = ", bytes_text(peak_memory, 5),
                              ", time = ", util::string::fromf(seconds, 5), "s, status = ", status);
}

}  // namespace simulation
