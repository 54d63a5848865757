#pragma once

#include <functional>
#include <iostream>
#include <string_view>

namespace util {

// Exit statuses of the programs.
namespace exit_status {
inline constexpr int success = 0;       // a completed run, or the usage summary
inline constexpr int size_limit = 1;    // fullsim refused a netlist for a size limit
inline constexpr int command_line = 2;  // a malformed command line or option value
inline constexpr int bad_input = 3;     // an unreadable or malformed input file
inline constexpr int failure = 4;       // anything else: memory, result files, internal errors
}  // namespace exit_status

// Runs a program's body and returns its exit status. No error escapes: each one is reported
// on `err` as "<program>: <message>" and gives the status of its kind (`usage_error` 2,
// `input_error` 3, `status_error` its own, `resource_error` and everything else 4). A help request
// prints the usage summary on `out` and gives 0. When writing to `out` failed (a full disk), the
// run fails with status 4.
int run_program(std::string_view program, const std::function<int()>& body, std::ostream& out = std::cout,
                std::ostream& err = std::cerr);

}  // namespace util
