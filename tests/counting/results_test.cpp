#include "counting/results.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "../operation/circuit_text.hpp"
#include "simulation/engine.hpp"

namespace {

namespace fs = std::filesystem;

std::string read(const fs::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

TEST(Results, FilesDescribeAStoppedRun) {
  const auto circuit =
      circuit_text::parse({"0 = 0", "a = I", "b = I", "c = I", "g[1] = AND( a_0 , ~b_0 )", "w = ( g[1]_0 )",
                           "h = REC1.MAJ( w_0 , c_0 , 0_0 )", "k = XOR( h_1 , a_0 )", "o-0 = O( k_0 )"});
  const fs::path dir = fs::temp_directory_path() / ("results_test_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  counting::settings config;
  config.use_bits = 2;  // b and c; a is the var input
  config.print_every = 0;
  std::ostringstream console;
  const counting::result_files files{dir / "counts.csv", dir / "status", dir / "progress",
                                     dir / "time",       dir / "memory", dir / "same"};

  const auto run_and_write = [&] { simulation::run(circuit, {0, 1, 2}, 3, config, files, console); };

  run_and_write();
  // Names are written as stored; the wire has no row; h counts (w, c, 0) over 8 patterns.
  EXPECT_EQ(read(dir / "counts.csv"),
            "name,gate,combinations\ng[1],AND,2 2 2 2\nh,REC1.MAJ,3 0 3 0 1 0 1 0\nk,XOR,4 3 0 1\n");
  EXPECT_EQ(read(dir / "status"), "done\n");
  EXPECT_EQ(read(dir / "progress"), "2 / 2\n4 / 4\n");

  config.time_limit = 0;
  run_and_write();
  EXPECT_EQ(read(dir / "counts.csv"),
            "name,gate,combinations\ng[1],AND,2 2 0 0\nh,REC1.MAJ,0 0 0 0 0 0 0 0\nk,XOR,0 0 0 0\n");
  EXPECT_EQ(read(dir / "status"), "out-of-time\n");
  EXPECT_EQ(read(dir / "progress"), "0 / 2\n0 / 4\n");
  EXPECT_EQ(read(dir / "same"), "0\n");
  EXPECT_NE(read(dir / "time").find('.'), std::string::npos);
  EXPECT_EQ(read(dir / "time").size(), read(dir / "time").find('.') + 20);  // 18 decimals and a line end
  EXPECT_GT(std::stoull(read(dir / "memory")), 0u);
  fs::remove_all(dir);
}
