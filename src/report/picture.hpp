#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "operation/circuit.hpp"
#include "report/results.hpp"

// Where a circuit's energy goes: the figures a report shows, gathered from the netlist and join's
// results.
namespace report {

// The circuit's size, as fullsim counts it.
struct circuit_size {
  std::uint64_t nodes = 0;
  std::uint64_t inputs = 0;
  std::uint64_t outputs = 0;
  std::uint64_t gates = 0;   // logic nodes
  std::uint64_t levels = 0;  // logic levels
};

// The energy of one gate kind.
struct kind_share {
  std::string kind;
  std::uint64_t gates = 0;     // logic nodes of the kind
  double bits = 0;             // their measured energy
  std::uint64_t estimate = 0;  // their approximate energy
};

// The energy of one logic level (1 is the level read by inputs only).
struct level_share {
  std::uint64_t level = 0;
  std::uint64_t gates = 0;  // gates of the level that lose information
  double bits = 0;
};

// Gates whose energy lies in [from, to) (the last bin includes its end).
struct histogram_bin {
  double from = 0;
  double to = 0;
  std::uint64_t gates = 0;
};

// The costliest `gates` gates carry `share` (0 to 1) of the total.
struct cumulative_point {
  std::uint64_t gates = 0;
  double share = 0;
};

// The costliest `percent` % of the gates (`gates` of them, at least one) carry `share` (0 to 1) of
// the total.
struct concentration {
  unsigned percent = 0;
  std::uint64_t gates = 0;
  double share = 0;
};

// One of the costliest gates.
struct costly_gate {
  const gate_result* result = nullptr;
  std::string kind;
  std::uint64_t level = 0;
};

// Everything the page shows besides the sources.
struct picture {
  circuit_size size;
  double total_bits = 0;                      // the total as a number
  std::uint64_t estimate = 0;                 // approximate's total
  std::vector<kind_share> kinds;              // costliest first
  std::vector<level_share> levels;            // level 1 to the last
  std::vector<histogram_bin> histogram;       // by energy, ascending
  std::vector<cumulative_point> cumulative;   // by gates, ascending; the last is every gate
  std::vector<concentration> concentrations;  // of the costliest 1 %, 10 % and 50 %
  std::vector<costly_gate> costliest;         // at most `costliest_shown`, costliest first
};

// How many of the costliest gates the page lists.
inline constexpr std::size_t costliest_shown = 50;
// The most points the cumulative curve has.
inline constexpr std::size_t cumulative_points = 200;
// The most bins of the energy histogram.
inline constexpr std::size_t histogram_bins = 20;

// Gathers the picture of a topologically sorted circuit and its results. Throws `file_error`
// (naming `energy_file`) for a gate of the results that the circuit does not hold as a logic node.
picture draw_picture(const operation::Circuit& circuit, const results& found,
                     const std::filesystem::path& energy_file);

}  // namespace report
