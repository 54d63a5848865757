#pragma once

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

namespace counting {

// How a sampled run draws the patterns of a batch ("-sampling").
enum class sample_kind {
  independent,  // every pattern is an independent draw of every input
  batch,        // a batch draws the var inputs; its patterns enumerate the use inputs
};

// How a run counts ("-method"): by enumerating the input assignments (sampling them with
// `settings::sampling`), or exactly with decision diagrams.
enum class method { enumerate, bdd };

// A sampled run: random batches instead of the enumeration of the var inputs.
struct sampling {
  std::uint64_t samples = 1;                    // "-samples": the number of batches
  std::uint64_t seed = 0;                       // "-seed": the key of the random stream
  std::uint32_t replicate = 0;                  // "-replicate": which of the seed's independent streams
  sample_kind kind = sample_kind::independent;  // "-sampling"
};

// The choices of one counting run, as the command line gives them.
struct settings {
  counting::method method = method::enumerate;  // "-method"
  // "-input-sort" when given; by default the method chooses (`count` says how).
  std::optional<std::string> input_sort;
  std::optional<std::uint32_t> use_bits;  // "-use-bits" when given: inputs simulated bit-parallel
  bool choose_use_bits = false;           // "-use-bits auto": chosen from the circuit and the machine
  std::uint32_t sel_bits = 0;             // "-sel-bits": inputs fixed by the worker number
  std::uint64_t worker = 0;               // "-worker": which share of the input space this run covers
  bool use_cache = true;                  // skip gates whose inputs did not change ("-no-cache" clears it)
  // With the cache, what one copy's kept tables may take at least (`kept_table_budget`): about
  // what a core's caches and its share of the last level hold.
  std::uint64_t cache_bytes = std::uint64_t{4} << 20;
  bool use_gray_code = true;          // enumerate batches in Gray-code order ("-no-gray-code")
  bool watch_changes = true;          // compare new tables with the old ones ("-no-watch-changes")
  std::uint64_t print_every = 10000;  // progress line period in batches; 0 prints no progress
  double time_limit = std::numeric_limits<double>::infinity();  // "-limit-time", seconds
  bool time_predict = false;                                    // "-predict-time"
  std::optional<std::uint64_t> memory_limit;                    // "-limit-memory", bytes
  std::optional<counting::sampling> sampling;                   // "-samples": a sampled run
};

}  // namespace counting
