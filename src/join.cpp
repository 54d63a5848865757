// join: sums the count files of a job's fullsim workers and computes every gate's input and output
// entropy and energy, and the circuit's total energy, in multiprecision.
#include <cstdint>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>

#include "count_table.hpp"
#include "entropy.hpp"
#include "join/command_line.hpp"
#include "multiprecision.hpp"
#include "util/argparse/base.hpp"
#include "util/clock.hpp"
#include "util/entry.hpp"
#include "util/output_file.hpp"
#include "util/printer.hpp"
#include "util/result_paths.hpp"
#include "util/string.hpp"

namespace {

namespace fs = std::filesystem;
using params = util::argparse::params;
using join::precisions;

// Makes a stream write floating values in fixed-point notation with `digits` after the point.
void set_fixed(std::ostream& out, std::uint64_t digits) {
  out << std::fixed << std::setprecision(static_cast<int>(digits));
}

// Adds the count files in command-line order.
CountTable merge_count_files(const params& args) {
  CountTable table;
  util::argparse::iterator<fs::path> input, end;
  args.get<fs::path>("inputs", input, end);
  for (; input != end; ++input) {
    table.add_file(*input);
  }
  return table;
}

// The per-gate result files that were asked for, each with its header line written at once.
class gate_tables {
 public:
  gate_tables(const params& args, std::uint64_t digits) {
    open(energy_, args, "-o", "name,energy", digits);
    open(entropy_, args, "-save-entropy", "name,in-entropy,out-entropy", digits);
    open(combs_, args, "-save-combs", "name,in-combs,out-combs", digits);
  }

  // Writes one gate's rows.
  void write(std::string_view name, const combs_vector& inp, const gate_information& info) {
    if (energy_) {
      energy_->stream() << name << ',' << info.energy << '\n';
    }
    if (entropy_) {
      entropy_->stream() << name << ',' << info.inp_ent << ',' << info.out_ent << '\n';
    }
    if (combs_) {
      combs_->stream() << name << ',' << util::printer(inp).sep(" ") << ','
                       << util::printer(info.out_combs).sep(" ") << '\n';
    }
  }

  // Puts the complete files in place.
  void commit() {
    for (auto* file : {&energy_, &entropy_, &combs_}) {
      if (*file) {
        (*file)->commit();
      }
    }
  }

 private:
  static void open(std::optional<util::output_file>& file, const params& args, const std::string& name,
                   std::string_view header, std::uint64_t digits) {
    if (args.is_set(name)) {
      file.emplace(args.get<fs::path>(name));
      set_fixed(file->stream(), digits);
      file->stream() << header << '\n';
    }
  }

  std::optional<util::output_file> energy_;
  std::optional<util::output_file> entropy_;
  std::optional<util::output_file> combs_;
};

// Measures every gate in the order of the first file, writes the per-gate files and shows the
// running total; returns the circuit's energy.
mp_flt measure_gates(const CountTable& table, const params& args, const precisions& digits) {
  gate_tables files(args, digits.save);
  set_fixed(std::cout, digits.print);
  mp_flt energy = 0;
  for (operation::nid_t nid = 0; nid < table.size(); ++nid) {
    const gate_information info = measure_gate(table.gate(nid), table.combs(nid));
    energy += info.energy;
    files.write(table.name(nid), table.combs(nid), info);
    std::cout << "\r\x1b[K"
              << "energy = " << energy << std::flush;
  }
  files.commit();
  std::cout << '\n' << std::flush;
  return energy;
}

void save_energy(const params& args, const mp_flt& energy, std::uint64_t digits) {
  if (args.is_set("-save-energy")) {
    std::ostringstream text;
    set_fixed(text, digits);
    text << energy << '\n';
    util::write_file(args.get<fs::path>("-save-energy"), text.str());
  }
}

void save_time(const params& args, double start, std::uint64_t digits) {
  if (args.is_set("-save-time")) {
    util::write_file(args.get<fs::path>("-save-time"),
                     util::string::fromf(util::steady_seconds() - start, digits) + '\n');
  }
}

}  // namespace

int main(int argc, char** argv) {
  return util::run_program("join", [&] {
    const double start = util::steady_seconds();
    const params args = join::parse_args(argc, argv);
    const precisions digits = join::read_precisions(args);
    set_float_precision(digits.num);
    util::check_result_paths(args, {"-o", "-save-energy", "-save-entropy", "-save-combs", "-save-time"});
    const CountTable table = merge_count_files(args);
    const mp_flt energy = measure_gates(table, args, digits);
    save_energy(args, energy, digits.save);
    save_time(args, start, digits.save);
    return util::exit_status::success;
  });
}
