// The fullsim program on real netlists: its count files against a pattern-by-pattern evaluation,
// under every option that must not change them, and split among workers.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

#include "../simulation/reference.hpp"
#include "fullsim_run.hpp"
#include "operation/read/read.hpp"
#include "operation/read/topological_sort.hpp"
#include "util/stream.hpp"

namespace {

namespace fs = std::filesystem;
using operation::cmb_t;

using fullsim_run::row;

const char* const netlists[] = {"ctrl.v", "int2float.v", "cavlc.v"};

}  // namespace

TEST(FullsimRuns, CountsMatchPatternByPatternEvaluation) {
  for (const char* netlist : netlists) {
    operation::Circuit circuit =
        operation::read(fs::path(INFOLOSS_TEST_DATA) / "circuits" / netlist, {}, util::null_ostr);
    operation::sort_topologically(circuit);
    std::vector<std::uint32_t> order(circuit.input_count());
    std::iota(order.begin(), order.end(), 0);
    const auto counts = reference::brute_force(circuit, order);
    std::vector<row> expected;
    for (operation::nid_t n = 0; n < circuit.transfer_count(); ++n)
      if (!counts[n].empty())
        expected.push_back({std::string(circuit.name(n)), std::string(circuit.gate_name(n)), counts[n]});
    const std::vector<row> rows = fullsim_run::count_rows(netlist, "");
    EXPECT_EQ(rows, expected) << netlist;
    for (const row& r : rows) {
      cmb_t sum = 0;
      for (cmb_t count : r.counts) sum += count;
      ASSERT_EQ(sum, cmb_t{1} << circuit.input_count()) << netlist << " " << r.name;
    }
  }
}

TEST(FullsimRuns, OptionsThatMustNotChangeTheCounts) {
  for (const char* netlist : netlists) {
    const std::vector<row> reference = fullsim_run::count_rows(netlist, "");
    for (const char* use_bits : {"", "-use-bits 0", "-use-bits 1", "-use-bits 3", "-use-bits auto"})
      for (const char* option : {"", "-no-cache", "-no-gray-code", "-no-watch-changes", "-input-sort no"}) {
        const std::string args = std::string(use_bits) + " " + option;
        EXPECT_EQ(fullsim_run::count_rows(netlist, args), reference) << netlist << " " << args;
      }
  }
}

TEST(FullsimRuns, WorkersSumToTheSingleRun) {
  for (const char* netlist : netlists) {
    const std::vector<row> whole = fullsim_run::count_rows(netlist, "");
    for (int sel_bits = 1; sel_bits <= 3; ++sel_bits) {
      std::vector<row> sum = whole;
      for (row& r : sum) std::fill(r.counts.begin(), r.counts.end(), 0);
      for (int worker = 0; worker < 1 << sel_bits; ++worker) {
        const std::vector<row> share =
            fullsim_run::count_rows(netlist, "-use-bits 2 -sel-bits " + std::to_string(sel_bits) +
                                                 " -worker " + std::to_string(worker));
        ASSERT_EQ(share.size(), sum.size());
        for (std::size_t k = 0; k < share.size(); ++k) {
          ASSERT_EQ(share[k].name, sum[k].name);
          for (std::size_t i = 0; i < share[k].counts.size(); ++i) sum[k].counts[i] += share[k].counts[i];
        }
      }
      EXPECT_EQ(sum, whole) << netlist << " with " << sel_bits << " sel bits";
    }
  }
}

// "-use-bits auto" on a circuit large enough to be split, whose cached tables would outgrow the
// processor's caches: the counts are those of the use bits it chose, which the usual "use bits (N)"
// line shows, with tables of 2^16 bits and a cache that covers part of the gates.
TEST(FullsimRuns, UseBitsAutoCountsAsItsChoiceByHand) {
  const std::string sin = std::string(INFOLOSS_CIRCUITS) + "/sin.v";
  const fs::path base = fs::temp_directory_path() / ("fullsim_auto_" + std::to_string(::getpid()));
  const std::string console = base.string() + ".out", counts = base.string() + ".csv";
  const std::string command = std::string(INFOLOSS_FULLSIM) + " " + sin +
                              " -use-bits auto -print-every 0 -o " + counts + " > " + console + " 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  std::ifstream out(console);
  std::string line, chosen, all;
  while (std::getline(out, line)) {
    all += line + "\n";
    if (line.starts_with("use bits (")) chosen = line.substr(10, line.find(')') - 10);
  }
  ASSERT_FALSE(chosen.empty()) << all;
  EXPECT_EQ(all.find("-use-bits auto' picks"), std::string::npos) << "no hint when the use bits are chosen";
  EXPECT_NE(all.find("cache = enabled for "), std::string::npos) << all;
  EXPECT_EQ(std::stoi(chosen), 16);
  std::ifstream auto_file(counts);
  const std::string auto_counts((std::istreambuf_iterator<char>(auto_file)),
                                std::istreambuf_iterator<char>());
  const std::string by_hand = std::string(INFOLOSS_FULLSIM) + " " + sin + " -use-bits " + chosen +
                              " -print-every 0 -o " + counts + " > /dev/null";
  ASSERT_EQ(std::system(by_hand.c_str()), 0);
  std::ifstream hand_file(counts);
  const std::string hand_counts((std::istreambuf_iterator<char>(hand_file)),
                                std::istreambuf_iterator<char>());
  EXPECT_EQ(auto_counts, hand_counts);
  fs::remove(counts);
  fs::remove(console);
}

// sin.v at 2^16-bit tables: the cache can keep the tables of few gates (nearly every gate depends
// on every var input), says how many it covers, and counts exactly what a run without it counts.
TEST(FullsimRuns, APartialCacheSaysWhatItCoversAndCountsAsWithoutIt) {
  const std::string sin = std::string(INFOLOSS_CIRCUITS) + "/sin.v";
  const fs::path base = fs::temp_directory_path() / ("fullsim_partial_" + std::to_string(::getpid()));
  const auto run = [&](const std::string& options, const std::string& name) {
    const std::string counts = base.string() + name + ".csv", console = base.string() + name + ".out";
    const std::string command = std::string(INFOLOSS_FULLSIM) + " " + sin + " -use-bits 16 " + options +
                                " -print-every 0 -o " + counts + " > " + console + " 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    std::ifstream counts_file(counts), console_file(console);
    std::pair<std::string, std::string> result{
        std::string(std::istreambuf_iterator<char>(counts_file), std::istreambuf_iterator<char>()),
        std::string(std::istreambuf_iterator<char>(console_file), std::istreambuf_iterator<char>())};
    fs::remove(counts);
    fs::remove(console);
    return result;
  };
  const auto [cached_counts, cached_console] = run("", "cached");
  const auto [plain_counts, plain_console] = run("-no-cache", "plain");
  EXPECT_NE(cached_console.find("\ncache = enabled for 196 of 5416 gates\n"), std::string::npos) << cached_console;
  EXPECT_NE(plain_console.find("\ncache = disabled\n"), std::string::npos) << plain_console;
  EXPECT_FALSE(cached_counts.empty());
  EXPECT_EQ(cached_counts, plain_counts);
}
