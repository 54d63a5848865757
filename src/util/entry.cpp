#include "util/entry.hpp"

#include <exception>
#include <new>

#include "operation/read/exception.hpp"
#include "util/argparse/exception.hpp"

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
  try {
    return body();
  } catch (const help_requested& help) {
    out << help.what() << std::flush;
    return exit_status::success;
  } catch (const exception& error) {
    return report(program, error.what(), exit_status::command_line, out, err);
  } catch (const operation::ReadException& error) {
    return report(program, error.what(), exit_status::bad_input, out, err);
  } catch (const std::bad_alloc&) {
    return report(program, "out of memory", exit_status::failure, out, err);
  } catch (const std::exception& error) {
    return report(program, error.what(), exit_status::failure, out, err);
  } catch (...) {
    return report(program, "unknown error", exit_status::failure, out, err);
  }
}

}  // namespace util
