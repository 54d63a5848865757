#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <span>
#include <sstream>
#include <string>

#include "count_file.hpp"
#include "counting/outcome.hpp"
#include "operation/circuit.hpp"
#include "util/printer.hpp"

namespace counting {

// The result files a run was asked for; each one is written only when its path is given.
struct result_files {
  std::optional<std::filesystem::path> counts;    // "-o": the combination counts
  std::optional<std::filesystem::path> status;    // "-save-status"
  std::optional<std::filesystem::path> progress;  // "-save-progress": batches and gates done
  std::optional<std::filesystem::path> time;      // "-save-time": seconds of the simulation
  std::optional<std::filesystem::path> memory;    // "-save-memory": peak resident bytes
  std::optional<std::filesystem::path> same;      // "-save-same": unchanged tables found
};

// The count file: the header "name,gate,combinations", then for every logic node that has counts,
// in position order, its name, its gate's name and its 2^k counts separated by blanks.
// `counts_of(n)` gives node n's counts as a span of numbers that stream as decimals (any width),
// empty when the node has no row. Every counting method writes its file through this one.
template <typename CountsOf>
std::string count_file_text(const operation::Circuit& circuit, const CountsOf& counts_of) {
  std::ostringstream text;
  text << count_file_header << '\n';
  for (operation::nid_t n = circuit.data_count(); n < circuit.transfer_count(); ++n) {
    const auto counts = counts_of(n);
    if (counts.empty()) continue;
    text << circuit.name(n) << ',' << circuit.gate_name(n) << ',' << util::printer(counts).sep(" ") << '\n';
  }
  return text.str();
}

// The count file of the enumeration's totals: combs[n] (2^k counts) for every logic node with
// counters, none for null entries. A run stopped by its time limit writes the same header: its
// status file tells.
std::string count_file_text(const operation::Circuit& circuit, const operation::cmb_t* const* combs);

// The status file: "done" or "out-of-time" on the first line; a sampled run stopped by its time
// limit adds a line with the size of its smaller sample ("a smaller sample: B of N samples of 2^U
// patterns"), which its counts cover.
std::string status_text(const outcome& run);

// Writes the run files asked for, in the order status, progress, time, memory, same.
void write_run_files(const result_files& files, const outcome& run);

// Writes the files asked for, in the order counts, status, progress, time, memory, same.
void write_result_files(const result_files& files, const operation::Circuit& circuit,
                        const operation::cmb_t* const* combs, const outcome& run);

}  // namespace counting
