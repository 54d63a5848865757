#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "operation/circuit.hpp"

// Short measured runs that tell what enumeration and sampling would cost on this machine.
namespace run {

// What enumerating every input assignment on one worker would take.
struct enumeration_cost {
  bool countable = false;  // few enough inputs for one worker's 64-bit counts
  double seconds = 0;      // predicted seconds of the whole enumeration (when countable)
  bool done = false;       // the probe itself enumerated everything
};

// Predicts the enumeration of the sorted circuit (`ranks`: its rank list) from a silent run of at
// most `probe_seconds` with "-use-bits auto": the time it took for the share of the assignments it
// covered. The probe's time checks keep it to one copy of the tables, so the prediction errs long.
enumeration_cost predict_enumeration(const operation::Circuit& circuit,
                                     const std::vector<operation::nid_t>& ranks, double probe_seconds);

// What a sampled run costs: its samples, and what it spends before them.
struct sampling_cost {
  double per_sample = 0;  // seconds of one sample of 2^12 independent patterns
  double setup = 0;       // seconds of the phases before the samples (structures, tables)
};

// Measures a sampled run's costs by a silent one of at most `probe_seconds` of samples.
sampling_cost measure_sampling(const operation::Circuit& circuit, const std::vector<operation::nid_t>& ranks,
                               double probe_seconds);

// Seconds as the summaries write them: three significant digits ("0.0123 s", "4.56e+04 s").
std::string seconds_text(double seconds);

}  // namespace run
