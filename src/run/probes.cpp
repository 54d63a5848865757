#include "run/probes.hpp"

#include <algorithm>
#include <cstdio>
#include <limits>

#include "counting/count.hpp"
#include "util/clock.hpp"
#include "util/stream.hpp"
#include "util/string.hpp"

namespace run {

using operation::nid_t;

namespace {

// More inputs than one worker's enumeration can take: 2^61 assignments would take years.
constexpr nid_t most_enumerated_inputs = 60;

// The share of a timed run's work that it completed: its batches and, of the batch it stopped in,
// its gates.
double fraction_done(const counting::outcome& run) {
  const double gates = run.max_gates == 0 ? 0 : static_cast<double>(run.gate_iter) / run.max_gates;
  return (static_cast<double>(run.batch_iter) + gates) / static_cast<double>(run.max_batch);
}

// A silent run's settings, stopped after `seconds`.
counting::settings silent(double seconds) {
  counting::settings config;
  config.print_every = 0;
  config.time_limit = seconds;
  return config;
}

}  // namespace

enumeration_cost predict_enumeration(const operation::Circuit& circuit, const std::vector<nid_t>& ranks,
                                     double probe_seconds) {
  if (circuit.input_count() > most_enumerated_inputs) return {};
  counting::settings config = silent(probe_seconds);
  config.choose_use_bits = true;
  const counting::outcome probe =
      counting::count(circuit, ranks, config, {}, util::null_ostr, util::null_ostr);
  if (!probe.out_of_time) return {true, probe.time_elapsed, true};
  const double done = fraction_done(probe);
  return {true, done > 0 ? probe.time_elapsed / done : std::numeric_limits<double>::infinity(), false};
}

sampling_cost measure_sampling(const operation::Circuit& circuit, const std::vector<nid_t>& ranks,
                               double probe_seconds) {
  counting::settings config = silent(probe_seconds);
  config.sampling = counting::sampling{.samples = std::uint64_t{1} << 40};
  const double start = util::steady_seconds();
  const counting::outcome probe =
      counting::count(circuit, ranks, config, {}, util::null_ostr, util::null_ostr);
  const double samples = fraction_done(probe) * static_cast<double>(probe.max_batch);
  return {samples > 0 ? probe.time_elapsed / samples : std::numeric_limits<double>::infinity(),
          std::max(0.0, util::steady_seconds() - start - probe.time_elapsed)};
}

std::string seconds_text(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3g s", seconds);
  return text;
}

}  // namespace run
