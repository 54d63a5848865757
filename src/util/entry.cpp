#include "util/entry.hpp"

#include <exception>
#include <new>

#include "util/argparse/exception.hpp"
#include "util/error.hpp"

namespace util {

namespace {

int report(std::string_view program, std::string_view message, int status, std::ostream& out,
           std::ostream& err) {
  out.flush();  // what the run printed so far comes before the error
  err << program << ": " << message << '\n' << std::flush;
  return status;
}

}  // namespace

int run_program(std::string_view program, const std::function<int()>& body, std::ostream& out,
                std::ostream& err) {
  int status = exit_status::success;
  try {
    status = body();
  } catch (const help_requested& help) {
    out << help.what();
  } catch (const usage_error& error) {
    return report(program, error.what(), exit_status::command_line, out, err);
  } catch (const input_error& error) {
    return report(program, error.what(), exit_status::bad_input, out, err);
  } catch (const status_error& error) {
    return report(program, error.what(), error.status(), out, err);
  } catch (const resource_error& error) {
    return report(program, error.what(), exit_status::failure, out, err);
  } catch (const std::bad_alloc&) {
    return report(program, "out of memory", exit_status::failure, out, err);
  } catch (const std::exception& error) {
    return report(program, error.what(), exit_status::failure, out, err);
  } catch (...) {
    return report(program, "unknown error", exit_status::failure, out, err);
  }
  // Scripts read results from standard output (join's total, the usage): losing them is a failure.
  if (!out.flush())
    return report(program, "Could not write standard output.", exit_status::failure, out, err);
  return status;
}

}  // namespace util
