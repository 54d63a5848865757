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
#include "join/replicate_spread.hpp"
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

// Adds the count files in command-line order; with `spread`, each file is also measured on its own
// as one replicate.
CountTable merge_count_files(const params& args, join::replicate_spread* spread) {
  CountTable table(spread != nullptr);
  util::argparse::iterator<fs::path> input, end;
  args.get<fs::path>("inputs", input, end);
  for (; input != end; ++input) {
    table.add_file(*input);
    if (spread != nullptr) {
      spread->add_file(table);
    }
  }
  return table;
}

// The per-gate result files that were asked for, each with its header line written at once.
class gate_tables {
 public:
  // With `with_errors`, the energy file has a third column, the energy's standard error.
  gate_tables(const params& args, std::uint64_t digits, bool with_errors) {
    open(energy_, args, "-o", with_errors ? "name,energy,std-error" : "name,energy", digits);
    open(entropy_, args, "-save-entropy", "name,in-entropy,out-entropy", digits);
    open(combs_, args, "-save-combs", "name,in-combs,out-combs", digits);
  }

  // Writes one gate's rows; `error` is its energy's standard error, when the file has that column.
  void write(std::string_view name, const combs_vector& inp, const gate_information& info,
             const mp_flt* error) {
    if (energy_) {
      energy_->stream() << name << ',' << info.energy;
      if (error != nullptr) {
        energy_->stream() << ',' << *error;
      }
      energy_->stream() << '\n';
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
// running total, and with `spread` the total's standard error at the end; returns the circuit's
// energy.
mp_flt measure_gates(const CountTable& table, const params& args, const precisions& digits,
                     const join::replicate_spread* spread) {
  gate_tables files(args, digits.save, spread != nullptr);
  set_fixed(std::cout, digits.print);
  mp_flt energy = 0;
  for (operation::nid_t nid = 0; nid < table.size(); ++nid) {
    const gate_information info = measure_gate(table.gate(nid), table.combs(nid));
    energy += info.energy;
    const std::optional<mp_flt> error = spread ? std::optional(spread->gate_error(nid)) : std::nullopt;
    files.write(table.name(nid), table.combs(nid), info, error ? &*error : nullptr);
    std::cout << "\r\x1b[K"
              << "energy = " << energy << std::flush;
  }
  files.commit();
  if (spread != nullptr) {
    std::cout << "\r\x1b[K"
              << "energy = " << energy << " ± " << spread->total_error();
  }
  std::cout << '\n' << std::flush;
  return energy;
}

// Writes one value and a line end to the file of option `name`, when it is set.
void save_value(const params& args, const std::string& name, const mp_flt& value, std::uint64_t digits) {
  if (args.is_set(name)) {
    std::ostringstream text;
    set_fixed(text, digits);
    text << value << '\n';
    util::write_file(args.get<fs::path>(name), text.str());
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
    join::check_replicates(args);
    util::check_result_paths(
        args, {"-o", "-save-energy", "-save-energy-error", "-save-entropy", "-save-combs", "-save-time"});
    std::optional<join::replicate_spread> spread;
    if (args.get<bool>("-replicates")) {
      spread.emplace();
    }
    const CountTable table = merge_count_files(args, spread ? &*spread : nullptr);
    const mp_flt energy = measure_gates(table, args, digits, spread ? &*spread : nullptr);
    save_value(args, "-save-energy", energy, digits.save);
    if (spread) {
      save_value(args, "-save-energy-error", spread->total_error(), digits.save);
    }
    save_time(args, start, digits.save);
    return util::exit_status::success;
  });
}
