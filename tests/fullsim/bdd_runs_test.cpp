// fullsim -method bdd against the enumeration: the same count files byte for byte, whole and
// split among workers, exact counts beyond 64 bits that join reads, and the refusal of diagrams
// that outgrow the memory.

#include <gtest/gtest.h>
#include <unistd.h>

#include <boost/multiprecision/gmp.hpp>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// A fresh directory for one test's files, removed at the end.
struct work_dir {
  fs::path path = fs::temp_directory_path() / ("fullsim_bdd_" + std::to_string(::getpid()) + "_" +
                                               testing::UnitTest::GetInstance()->current_test_info()->name());
  work_dir() { fs::create_directories(path); }
  ~work_dir() { fs::remove_all(path); }
};

std::string read_text(const fs::path& file) {
  std::ifstream in(file);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Runs fullsim on `netlist` with `args`, its console to `console`; returns the exit status.
int fullsim(const fs::path& netlist, const std::string& args, const fs::path& console) {
  const std::string command = std::string(INFOLOSS_FULLSIM) + " " + netlist.string() + " " + args + " > " +
                              console.string() + " 2>&1";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The count file of one run, which must succeed.
std::string counts(const fs::path& netlist, const std::string& args, const work_dir& dir) {
  const fs::path file = dir.path / "counts.csv";
  fs::remove(file);
  EXPECT_EQ(fullsim(netlist, args + " -print-every 0 -o " + file.string(), dir.path / "console"), 0)
      << netlist << " " << args << "\n"
      << read_text(dir.path / "console");
  return read_text(file);
}

const char* const netlists[] = {"ctrl.v", "int2float.v", "cavlc.v", "dec.v"};

fs::path test_circuit(const char* name) { return fs::path(INFOLOSS_TEST_DATA) / "circuits" / name; }

}  // namespace

// Any variable order gives the enumeration's file; so do the workers of a split by "-input-sort".
TEST(FullsimBdd, CountFilesEqualTheEnumeration) {
  const work_dir dir;
  for (const char* name : netlists) {
    const fs::path netlist = test_circuit(name);
    const std::string whole = counts(netlist, "", dir);
    ASSERT_NE(whole.find('\n'), whole.size() - 1) << name << ": no rows";
    for (const char* order : {"", "-input-sort no", "-input-sort depth", "-input-sort breadth"})
      EXPECT_EQ(counts(netlist, std::string("-method bdd ") + order, dir), whole) << name << " " << order;
    for (const char* order : {"", "-input-sort fanouts"})
      for (int worker = 0; worker < 4; ++worker) {
        const std::string split = std::string(order) + " -sel-bits 2 -worker " + std::to_string(worker);
        EXPECT_EQ(counts(netlist, "-method bdd " + split, dir), counts(netlist, split, dir)) << name << split;
      }
  }
}

// 90 inputs x0… and the chain a_k = AND(a_(k-1), x_k), a_0 = x0: gate a_k's first input is 1
// under 2^(90-k) assignments, half of them with x_k 1; join sums two such files.
TEST(FullsimBdd, CountsBeyond64BitsAreExactAndJoinSumsThem) {
  using count = boost::multiprecision::mpz_int;
  const work_dir dir;
  constexpr int width = 90;
  const fs::path netlist = dir.path / "chain.v";
  {
    std::ofstream v(netlist);
    v << "module chain ( ";
    for (int k = 0; k < width; ++k) v << "x" << k << ", ";
    v << "y );\n  input ";
    for (int k = 0; k < width; ++k) v << (k == 0 ? "" : ", ") << "x" << k;
    v << ";\n  output y;\n  wire ";
    for (int k = 1; k < width; ++k) v << (k == 1 ? "" : ", ") << "a" << k;
    v << ";\n  assign a1 = x0 & x1;\n";
    for (int k = 2; k < width; ++k) v << "  assign a" << k << " = a" << k - 1 << " & x" << k << ";\n";
    v << "  assign y = a" << width - 1 << ";\nendmodule\n";
  }
  const std::string text = counts(netlist, "-method bdd", dir);
  const fs::path file = dir.path / "worker.csv";
  std::ofstream(file) << text;
  const fs::path combs = dir.path / "combs.csv";
  const std::string join = std::string(INFOLOSS_JOIN) + " " + file.string() + " " + file.string() +
                           " -save-combs " + combs.string() + " > /dev/null";
  ASSERT_EQ(std::system(join.c_str()), 0);
  const count all = count(1) << width;
  std::ostringstream expected;
  expected << "name,in-combs,out-combs\n";
  for (int k = 1; k < width; ++k) {
    const count chain_true = count(1) << (width - k), both = chain_true / 2, neither = (all - chain_true) / 2;
    const count in[4] = {neither, neither, both, both};  // two workers: each count twice
    expected << "a" << k << ",";
    for (int c = 0; c < 4; ++c) expected << (c == 0 ? "" : " ") << 2 * in[c];
    expected << "," << 2 * (in[0] + in[1] + in[2]) << " " << 2 * in[3] << "\n";
  }
  EXPECT_EQ(read_text(combs), expected.str());
}

// Diagrams too large for the memory end the run with exit status 4 and a message naming the gate
// reached and the ways on; no count file appears. Needs the address-space limit, which the
// sanitizers' reserved shadow memory would exceed.
TEST(FullsimBdd, DiagramsBeyondTheMemoryLimitAreRefused) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "the address-space limit cannot work beside the sanitizers' shadow memory";
#endif
  const work_dir dir;
  // A 24 x 24 array multiplier: its middle product bits have no small diagram in any order.
  constexpr int bits = 24;
  const fs::path netlist = dir.path / "multiplier.v";
  {
    std::ofstream v(netlist);
    v << "module mul ( ";
    for (int k = 0; k < bits; ++k) v << "a" << k << ", b" << k << ", ";
    v << "p );\n  input ";
    for (int k = 0; k < bits; ++k) v << (k == 0 ? "" : ", ") << "a" << k << ", b" << k;
    v << ";\n  output p;\n";
    // Row i adds the partial products a_j & b_i to the running sums s_(i-1,j), ripple-carry.
    std::ostringstream body, wires;
    for (int i = 0; i < bits; ++i)
      for (int j = 0; j < bits; ++j) {
        const std::string pp = "pp" + std::to_string(i) + "_" + std::to_string(j);
        const std::string s = "s" + std::to_string(i) + "_" + std::to_string(j);
        const std::string c = "c" + std::to_string(i) + "_" + std::to_string(j);
        const std::string x = "x" + std::to_string(i) + "_" + std::to_string(j);
        const std::string t = "t" + std::to_string(i) + "_" + std::to_string(j);
        const std::string u = "u" + std::to_string(i) + "_" + std::to_string(j);
        wires << pp << ", " << s << ", " << c << ", " << x << ", " << t << ", " << u << ", ";
        const std::string above =
            i == 0 ? "1'b0" : "s" + std::to_string(i - 1) + "_" + std::to_string(j + 1 < bits ? j + 1 : j);
        const std::string carry = j == 0 ? "1'b0" : "c" + std::to_string(i) + "_" + std::to_string(j - 1);
        body << "  assign " << pp << " = a" << j << " & b" << i << ";\n"
             << "  assign " << x << " = " << pp << " ^ " << above << ";\n"
             << "  assign " << s << " = " << x << " ^ " << carry << ";\n"
             << "  assign " << t << " = " << pp << " & " << above << ";\n"
             << "  assign " << u << " = " << carry << " & " << x << ";\n"
             << "  assign " << c << " = " << t << " | " << u << ";\n";
      }
    v << "  wire " << wires.str() << "unused;\n"
      << body.str() << "  assign p = s" << bits - 1 << "_" << bits / 2 << ";\nendmodule\n";
  }
  // Under some limits the library's table fails to grow before it reaches the size allowed.
  for (const std::string limit : {"200000000", "300000000"}) {
    const fs::path file = dir.path / "counts.csv";
    const int status =
        fullsim(netlist, "-method bdd -print-every 0 -limit-memory " + limit + " -o " + file.string(),
                dir.path / "console");
    const std::string console = read_text(dir.path / "console");
    EXPECT_EQ(status, 4) << limit << console;
    EXPECT_NE(console.find("fullsim: The decision diagrams outgrew the memory at gate `"), std::string::npos)
        << console;
    EXPECT_NE(console.find("'-method enumerate'"), std::string::npos) << console;
    EXPECT_NE(console.find("'-samples'"), std::string::npos) << console;
    EXPECT_FALSE(fs::exists(file));
  }
}
