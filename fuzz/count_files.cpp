// Fuzzes join's reading of count files and the measurement of the summed counts. The input holds
// up to four count files, separated by lines holding only "%%"; they are read in order, as the
// files of one job.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "count_table.hpp"
#include "entropy.hpp"
#include "multiprecision.hpp"
#include "support/failure.hpp"
#include "support/scratch_file.hpp"
#include "util/error.hpp"

namespace {

constexpr std::size_t max_files = 4;
constexpr std::string_view separator = "\n%%\n";

// The files of the input, at most `max_files` (the last takes the rest).
std::vector<std::string_view> split_files(std::string_view text) {
  std::vector<std::string_view> files;
  while (files.size() + 1 < max_files) {
    const std::size_t end = text.find(separator);
    if (end == std::string_view::npos) break;
    files.push_back(text.substr(0, end));
    text.remove_prefix(end + separator.size());
  }
  files.push_back(text);
  return files;
}

// Fails unless the measurement of gate `nid` is consistent: the folding keeps the number of input
// vectors, and the entropies lie between 0 and the input count in bits, the output entropy not
// above the input entropy (up to rounding).
void check_measurement(const CountTable& table, operation::nid_t nid) {
  const combs_vector& inp = table.combs(nid);
  const operation::Gate gate = table.gate(nid);
  fuzz::check(inp.size() == std::size_t{1} << gate.input_count(), "gate ", nid, " has ", inp.size(),
              " counts");
  const gate_information info = measure_gate(gate, inp);
  mp_int inputs = 0, outputs = 0;
  for (const mp_int& count : inp) inputs += count;
  for (const mp_int& count : info.out_combs) outputs += count;
  fuzz::check(info.total == inputs && outputs == inputs, "gate ", nid, ": the folding changed the total");
  const mp_flt rounding = 1e-12;
  fuzz::check(info.out_ent >= 0 && info.out_ent <= info.inp_ent + rounding &&
                  info.inp_ent <= gate.input_count() + rounding,
              "gate ", nid, ": entropies ", info.inp_ent, " and ", info.out_ent);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  set_float_precision(20);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static fuzz::scratch_file w0("w0.csv"), w1("w1.csv"), w2("w2.csv"), w3("w3.csv");
  static fuzz::scratch_file* const files[max_files] = {&w0, &w1, &w2, &w3};
  CountTable table;
  try {
    const std::vector<std::string_view> texts = split_files(fuzz::as_text(data, size));
    for (std::size_t i = 0; i < texts.size(); ++i) table.add_file(files[i]->write(texts[i]));
  } catch (const util::input_error&) {
    return 0;
  }
  for (operation::nid_t nid = 0; nid < table.size(); ++nid) check_measurement(table, nid);
  return 0;
}
