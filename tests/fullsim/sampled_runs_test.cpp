// Sampled fullsim runs, of independent patterns and of batches: reproducible on any thread count,
// independent between replicates, counting the sample they say, and with error bars from join
// -replicates that cover the exact energies of enumerable circuits as often as the statistics say
// they should.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "count_table.hpp"
#include "entropy.hpp"
#include "fullsim_run.hpp"

namespace {

namespace fs = std::filesystem;
using fullsim_run::row;
using operation::cmb_t;

cmb_t row_sum(const row& r) {
  cmb_t sum = 0;
  for (const cmb_t count : r.counts) sum += count;
  return sum;
}

// A fresh directory for one test's files, removed at the end.
struct scratch {
  scratch() : dir(fs::temp_directory_path() / ("sampled_runs_" + std::to_string(::getpid()))) {
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  ~scratch() { fs::remove_all(dir); }
  fs::path dir;
};

std::string text_of(const fs::path& file) {
  std::ifstream in(file);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void run_join(const std::string& args) {
  const std::string command = std::string(INFOLOSS_JOIN) + " " + args + " > /dev/null";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

// name → the first numbers of each row of a CSV file with a header.
std::map<std::string, std::vector<double>> read_values(const fs::path& file) {
  std::ifstream in(file);
  std::string line;
  std::getline(in, line);
  std::map<std::string, std::vector<double>> values;
  while (std::getline(in, line)) {
    std::istringstream fields(line);
    std::string name, value;
    std::getline(fields, name, ',');
    while (std::getline(fields, value, ',')) values[name].push_back(std::stod(value));
  }
  return values;
}

double number_in(const fs::path& file) { return std::stod(text_of(file)); }

const fs::path circuits = fs::path(INFOLOSS_TEST_DATA) / "circuits";

}  // namespace

// The kinds of sampling: independent patterns (the default) and batches of random var inputs.
const std::vector<std::string> sample_kinds{"", " -sampling batch"};

TEST(SampledRuns, SameSeedSameCountsOnAnyThreadCountAndReplicatesDiffer) {
  for (const std::string& kind : sample_kinds) {
    const std::string args = "-samples 40 -use-bits 3 -seed 11" + kind;
    for (const char* netlist : {"int2float.v", "cavlc.v"}) {
      const std::vector<row> one_thread = fullsim_run::count_rows(netlist, args, "OMP_NUM_THREADS=1");
      EXPECT_EQ(fullsim_run::count_rows(netlist, args, "OMP_NUM_THREADS=2"), one_thread) << netlist << kind;
      EXPECT_EQ(fullsim_run::count_rows(netlist, args + " -no-gray-code"), one_thread)
          << netlist << kind << ": the order of enumeration means nothing to a sample";
      EXPECT_NE(fullsim_run::count_rows(netlist, args + " -replicate 1"), one_thread) << netlist << kind;
      EXPECT_NE(fullsim_run::count_rows(netlist, "-samples 40 -use-bits 3 -seed 12" + kind), one_thread)
          << netlist << kind;
    }
  }
  const std::vector<row> independent = fullsim_run::count_rows("cavlc.v", "-samples 40 -use-bits 3 -seed 11");
  EXPECT_NE(fullsim_run::count_rows("cavlc.v", "-samples 40 -use-bits 3 -seed 11 -sampling batch"),
            independent);
  EXPECT_EQ(fullsim_run::count_rows("cavlc.v", "-samples 40 -use-bits 3 -seed 11 -input-sort no"),
            independent)
      << "independent patterns draw every input by its index, whatever the input order";
}

TEST(SampledRuns, IndependentPatternsOfLargeTablesOnTwoThreadsAreOneStream) {
  // 2^13-bit tables take several generator blocks; 8 batches of them are 1 of 2^16 bits.
  const std::string netlist = "random16.tree";
  const std::vector<row> small =
      fullsim_run::count_rows(netlist, "-samples 8 -use-bits 13", "OMP_NUM_THREADS=2");
  EXPECT_EQ(fullsim_run::count_rows(netlist, "-samples 8 -use-bits 13", "OMP_NUM_THREADS=1"), small);
  EXPECT_EQ(fullsim_run::count_rows(netlist, "-samples 1 -use-bits 16", "OMP_NUM_THREADS=2"), small);
}

TEST(SampledRuns, RowsCountTheSampleAndAStoppedRunKeepsWholeSamples) {
  for (const std::string& kind : sample_kinds) {
    for (const auto& [args, patterns] :
         {std::pair{"-samples 40 -use-bits 3", 40 * 8}, std::pair{"-samples 3 -use-bits 0", 3},
          std::pair{"-samples 5 -use-bits 20", 5 << 11}}) {  // capped at 11 inputs
      for (const row& r : fullsim_run::count_rows("int2float.v", args + kind))
        ASSERT_EQ(row_sum(r), cmb_t(patterns)) << args << kind << ": " << r.name;
    }
  }
  const scratch work;
  fullsim_run::run(circuits / "int2float.v",
                   "-samples 40 -use-bits 3 -limit-time 0 -save-status " + (work.dir / "status").string(),
                   work.dir / "counts.csv");
  EXPECT_EQ(text_of(work.dir / "status"), "out-of-time\na smaller sample: 0 of 40 samples of 2^3 patterns\n");
  for (const row& r : fullsim_run::read_rows(work.dir / "counts.csv")) ASSERT_EQ(row_sum(r), 0u) << r.name;
}

// Across 16 replicates, every gate's estimate against its exact energy, in standard errors.
TEST(SampledRuns, ErrorBarsCoverTheExactEnergies) {
  constexpr int replicates = 16;
  for (const std::string& kind : sample_kinds) {
    // Batches sampled as before keep the bounds they were held to; independent patterns meet
    // the tighter ones.
    const bool independent = kind.empty();
    for (const char* netlist : {"cavlc.v", "int2float.v", "random16.tree"}) {
      const scratch work;
      const fs::path& dir = work.dir;
      fullsim_run::run(circuits / netlist, "", dir / "exact.csv");
      run_join((dir / "exact.csv").string() + " -o " + (dir / "exact-energy.csv").string() +
               " -save-energy " + (dir / "exact-total").string());
      std::string files;
      // Each replicate's own estimate of every gate, to tell the gates whose estimates spread.
      std::vector<std::set<std::string>> own_estimates;
      for (int r = 0; r < replicates; ++r) {
        const fs::path counts = dir / ("replicate-" + std::to_string(r) + ".csv");
        fullsim_run::run(circuits / netlist,
                         "-samples 128 -use-bits 4 -seed 5 -replicate " + std::to_string(r) + kind, counts);
        files += " " + counts.string();
        CountTable table(true);
        table.add_file(counts);
        own_estimates.resize(table.size());
        for (operation::nid_t nid = 0; nid < table.size(); ++nid) {
          std::ostringstream text;
          text << measure_gate(table.gate(nid), table.file_combs(nid)).energy;
          own_estimates[nid].insert(text.str());
        }
      }
      run_join("-replicates" + files + " -o " + (dir / "estimate.csv").string() + " -save-energy " +
               (dir / "total").string() + " -save-energy-error " + (dir / "total-error").string());

      const auto exact = read_values(dir / "exact-energy.csv");
      const auto estimate = read_values(dir / "estimate.csv");
      CountTable names;
      names.add_file(dir / "exact.csv");
      ASSERT_EQ(names.size(), own_estimates.size());
      std::uint64_t spread = 0, covered = 0;
      double squared_z = 0;
      for (operation::nid_t nid = 0; nid < names.size(); ++nid) {
        if (own_estimates[nid].size() < 3) continue;
        const std::string name(names.name(nid));
        const std::vector<double>& value = estimate.at(name);
        ASSERT_EQ(value.size(), 2u) << name << ": energy and standard error";
        const double z = (value[0] - exact.at(name).at(0)) / value[1];
        ++spread;
        covered += std::abs(z) <= 4;
        squared_z += z * z;
      }
      ASSERT_GE(spread, 50u) << netlist << kind;
      EXPECT_GE(double(covered) / double(spread), independent ? 0.99 : 0.985)
          << netlist << kind << ": " << covered << " of " << spread;
      EXPECT_GE(squared_z / double(spread), 0.5) << netlist << kind;
      EXPECT_LE(squared_z / double(spread), independent ? 2 : 2.5) << netlist << kind;
      const double total_z =
          (number_in(dir / "total") - number_in(dir / "exact-total")) / number_in(dir / "total-error");
      EXPECT_LE(std::abs(total_z), 4) << netlist << kind;
      std::cout << netlist << kind << ": " << spread << " gates spread, " << covered
                << " within 4 SE, mean z² " << squared_z / double(spread) << ", total z " << total_z << '\n';
    }
  }
}
