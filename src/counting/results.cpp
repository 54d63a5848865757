#include "counting/results.hpp"

#include <cstddef>
#include <span>

#include "util/output_file.hpp"
#include "util/resources.hpp"
#include "util/string.hpp"

namespace counting {

using operation::cmb_t;
using operation::nid_t;
using util::string::concat;

std::string count_file_text(const operation::Circuit& circuit, const cmb_t* const* combs) {
  return count_file_text(circuit, [&](nid_t n) {
    if (combs[n] == nullptr) return std::span<const cmb_t>();
    return std::span<const cmb_t>(combs[n], std::size_t{1} << circuit.input_count(n));
  });
}

std::string status_text(const outcome& run) {
  std::string text = concat(run.status(), '\n');
  if (run.sampled && run.out_of_time)
    text += concat("a smaller sample: ", run.batch_iter, " of ", run.max_batch, " samples of 2^",
                   run.use_bits, " patterns\n");
  return text;
}

void write_run_files(const result_files& files, const outcome& run) {
  if (files.status) util::write_file(*files.status, status_text(run));
  if (files.progress)
    util::write_file(*files.progress, concat(run.batch_iter, " / ", run.max_batch, '\n', run.gate_iter, " / ",
                                             run.max_gates, '\n'));
  if (files.time) util::write_file(*files.time, concat(util::string::fromf(run.time_elapsed, 18), '\n'));
  if (files.memory) util::write_file(*files.memory, concat(util::rss::peak(), '\n'));
  if (files.same) util::write_file(*files.same, concat(run.same_count, '\n'));
}

void write_result_files(const result_files& files, const operation::Circuit& circuit,
                        const cmb_t* const* combs, const outcome& run) {
  if (files.counts) util::write_file(*files.counts, count_file_text(circuit, combs));
  write_run_files(files, run);
}

}  // namespace counting
