#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "operation/circuit.hpp"
#include "simulation/outcome.hpp"

namespace simulation {

// The result files a run was asked for; each one is written only when its path is given.
struct result_files {
  std::optional<std::filesystem::path> counts;    // "-o": the combination counts
  std::optional<std::filesystem::path> status;    // "-save-status"
  std::optional<std::filesystem::path> progress;  // "-save-progress": batches and gates done
  std::optional<std::filesystem::path> time;      // "-save-time": seconds of the simulation
  std::optional<std::filesystem::path> memory;    // "-save-memory": peak resident bytes
  std::optional<std::filesystem::path> same;      // "-save-same": unchanged tables found
};

// The count file: the header "name,gate,combinations", then for every logic node with counters
// (combs[n] not null), in position order, its name, its gate's name and its 2^k counts separated by
// blanks. A run stopped by its time limit writes the same header: its status file tells.
std::string count_file_text(const operation::Circuit& circuit, const operation::cmb_t* const* combs);

// The status file: "done" or "out-of-time" on the first line; a sampled run stopped by its time
// limit adds a line with the size of its smaller sample ("a smaller sample: B of N samples of 2^U
// patterns"), which its counts cover.
std::string status_text(const outcome& run);

// Writes the files asked for, in the order counts, status, progress, time, memory, same.
void write_result_files(const result_files& files, const operation::Circuit& circuit,
                        const operation::cmb_t* const* combs, const outcome& run);

}  // namespace simulation
