// report: one self-contained HTML page that shows where a circuit's energy goes, from a job
// directory of infoloss-job or from join's files and the netlist.
#include <iostream>

#include "operation/read/read.hpp"
#include "operation/read/topological_sort.hpp"
#include "report/command_line.hpp"
#include "report/page.hpp"
#include "report/picture.hpp"
#include "report/results.hpp"
#include "report/sources.hpp"
#include "util/entry.hpp"
#include "util/output_file.hpp"
#include "util/stream.hpp"

namespace {

// The netlist, sorted as fullsim sorts it, so that its levels are fullsim's. The readers' progress
// lines are not shown.
operation::Circuit read_circuit(const report::sources& from) {
  operation::Circuit circuit = operation::read(from.netlist, from.filetype, util::null_ostr);
  operation::sort_topologically(circuit);
  return circuit;
}

}  // namespace

int main(int argc, char** argv) {
  return util::run_program("report", [&] {
    const util::argparse::params args = report::parse_args(argc, argv);
    const report::sources from = report::sources_of(args);
    util::output_file::check_writable(from.page);
    const report::results found = report::read_results(from);
    const operation::Circuit circuit = read_circuit(from);
    const report::picture drawn = report::draw_picture(circuit, found, from.energy);
    util::write_file(from.page, report::write_page(from, found, drawn));
    std::cout << "report written to " << from.page.string() << '\n';
    return util::exit_status::success;
  });
}
