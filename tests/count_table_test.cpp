#include "count_table.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Count files in a fresh directory, removed afterwards.
class CountTableTest : public testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("infoloss-counts-" + std::to_string(getpid()) + "-" +
                                        testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Writes a count file with the usual header followed by `rows`.
  fs::path file(const std::string& name, const std::string& rows) const {
    const fs::path path = dir_ / name;
    std::ofstream(path) << "name,gate,combinations\n" << rows;
    return path;
  }

  // The error text of adding `rows` (as a second file) to a table whose first file is `first`.
  std::string error(const std::string& first, const std::string& rows) const {
    CountTable table;
    table.add_file(file("w0.csv", first));
    try {
      table.add_file(file("w1.csv", rows));
    } catch (const CountFileException& exception) {
      return std::string(exception.what()).substr((dir_ / "").string().size());
    }
    return "no error";
  }

  static std::vector<std::string> texts(const combs_vector& combs) {
    std::vector<std::string> result;
    for (const auto& count : combs) result.push_back(count.str());
    return result;
  }

  using strings = std::vector<std::string>;
  fs::path dir_;
};

TEST_F(CountTableTest, SumsRowsByNameInTheFirstFilesOrder) {
  CountTable table;
  table.add_file(file("w0.csv", "g,AND,1 2 3 4\n\nm,MAJ,0 0 0 0 0 0 0 18446744073709551615\r\n"));
  table.add_file(file("w1.csv", "m,MAJ,1 0 0 0 0 0 0 18446744073709551615\n  \ng,AND,0x10 010 0 7\n"));
  table.add_file(file("w2.csv", "g,AND,0 0 0 100000000000000000000000\nm,MAJ,0 0 0 0 0 0 0 0\n"));
  ASSERT_EQ(table.size(), 2U);
  EXPECT_EQ(table.name(0), "g");
  EXPECT_TRUE(table.gate(0) == operation::gates::AND);
  // Hexadecimal and octal texts are read as the multiprecision library reads them.
  EXPECT_EQ(texts(table.combs(0)), (strings{"17", "10", "3", "100000000000000000000011"}));
  EXPECT_EQ(table.name(1), "m");
  EXPECT_EQ(texts(table.combs(1)), (strings{"1", "0", "0", "0", "0", "0", "0", "36893488147419103230"}));
}

TEST_F(CountTableTest, RepeatedNamesMatchOccurrenceByOccurrence) {
  CountTable table;
  table.add_file(file("w0.csv", "a,AND,1 0 0 0\nb,OR,0 0 0 0\na,XOR,0 1 0 0\nx,OR,0 0 0 0\n"));
  // The second `a` here stands where the first file has its second `a`, yet it is the first one.
  table.add_file(file("w1.csv", "b,OR,5 0 0 0\nx,OR,0 0 0 0\na,AND,10 0 0 0\na,XOR,0 20 0 0\n"));
  table.add_file(file("w2.csv", "a,AND,100 0 0 0\na,XOR,0 200 0 0\nb,OR,0 0 0 50\nx,OR,0 0 0 0\n"));
  EXPECT_EQ(texts(table.combs(0)), (strings{"111", "0", "0", "0"}));
  EXPECT_EQ(texts(table.combs(1)), (strings{"5", "0", "0", "50"}));
  EXPECT_EQ(texts(table.combs(2)), (strings{"0", "221", "0", "0"}));
  EXPECT_EQ(error("a,AND,1 0 0 0\na,AND,1 0 0 0\n", "a,AND,1 0 0 0\na,AND,1 0 0 0\na,AND,1 0 0 0\n"),
            "w1.csv: Line 4: _Map_base::at: the first file " + (dir_ / "w0.csv").string() +
                " has only 2 rows of gate `a`.");
}

// (More of these errors are end-to-end cases of the program.)
TEST_F(CountTableTest, RowsThatWouldGiveWrongSumsAreRejected) {
  const std::string first = "g,AND,1 1 1 1\nh,MAJ,1 1 1 1 1 1 1 1\n";
  const std::string h = "h,MAJ,1 1 1 1 1 1 1 1\n";
  const std::string w0 = (dir_ / "w0.csv").string();
  EXPECT_EQ(error(first, "g,AND,1 1 -1 1\n" + h), "w1.csv: Line 2: The count \"-1\" is negative.");
  EXPECT_EQ(error(first, "g,AND,1 1 1\n" + h),
            "w1.csv: Line 2: Gate `g` of kind AND needs 4 counts, found 3.");
  EXPECT_EQ(error(first, "g,AND,1 1 1 1 0\n" + h),
            "w1.csv: Line 2: Gate `g` of kind AND needs 4 counts, found 5.");
  EXPECT_EQ(error(first, "g,AND\n"),
            "w1.csv: Line 2: The string \"AND\"could not be interpreted as a valid integer.");
  EXPECT_EQ(error(first, "g\n"),
            "w1.csv: Line 2: A row needs a name, a gate kind and the counts, separated by commas.");
  EXPECT_EQ(error(first, "g,NAND,1 1 1 1\n"), "w1.csv: Line 2: Unknown gate `NAND`.");
  EXPECT_EQ(error(first, h + "\n"),
            "w1.csv: Line 4: The file ends without a row of gate `g` of the first file " + w0 + ".");
  EXPECT_EQ(error(first, "g,AND,1 1 1 1\n" + h), "no error");
  // A file cut short: its last count may have lost digits.
  EXPECT_EQ(error(first, "g,AND,1 1 1 1\nh,MAJ,1 1 1 1 1 1 1 1"),
            "w1.csv: Line 3: The file ends inside this line: it may be truncated.");
}

TEST_F(CountTableTest, AnUnreadableOrEmptyFileIsAnError) {
  CountTable table;
  table.add_file(file("w0.csv", "g,AND,1 1 1 1\n"));
  std::ofstream(dir_ / "empty.csv").close();
  for (const auto& [path, message] :
       {std::pair{dir_ / "missing.csv", "Could not open the file."},
        std::pair{dir_, "Could not open the file."},
        std::pair{dir_ / "empty.csv", "The file is empty: even the header line is missing."},
        std::pair{fs::path("/proc/self/mem"), "Could not read the file."}}) {
    try {
      table.add_file(path);
      ADD_FAILURE() << path;
    } catch (const CountFileException& exception) {
      EXPECT_EQ(exception.what(), path.string() + ": " + message);
    }
  }
}

}  // namespace
