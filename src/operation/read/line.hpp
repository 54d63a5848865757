#pragma once

#include <filesystem>
#include <fstream>
#include <istream>
#include <string>
#include <string_view>

#include "operation/operation.hpp"

// The lexical layer of the netlist readers: logical lines without comments and surrounding white
// space, statements joined across lines, and operand names cleaned of inversion marks. Every
// physical line consumed is counted in the caller's line counter, so after a line has been
// delivered the counter holds its 1-based number.
namespace operation {

// Characters that separate names: white space, comma, parentheses and semicolon.
inline constexpr std::string_view trim_sv = " \f\n\r\t\v,();";

// Opens a netlist for reading; throws ReadException "Could not open file `PATH`." (the path in the
// quoted form of its stream output) when it cannot be opened or is a directory.
std::ifstream open_netlist(const std::filesystem::path& fname);

// Throws ReadException "Could not read the file." when reading `file` failed (a read error rather
// than the end of the file), which the line-reading operations report as the end of input.
void check_read_error(const std::istream& file);

// The next line with text left once its comments ("//" to the line end, "/* … */" also across lines),
// attributes ("(* … *)") and surrounding white space are removed, as a view into `buffer` (valid
// until the next read into it); empty at end of input or on a stream error. Throws ReadException
// "File ended inside a comment." (or "… an attribute.") with the line where it opened.
std::string_view read_next_line(std::istream& file, siz_t& lineno, std::string& buffer);

// One statement: the following lines, each preceded by one space, up to and including the first
// whose last character is `delim`; shorter when the input ends first, empty when nothing is left.
std::string read_full_line(std::istream& file, siz_t& lineno, char delim);

// `read_full_line` into `statement`, reusing `buffer` for the lines, so that a reader of millions of
// statements allocates nothing per statement. Returns the line on which the statement begins (0 when
// nothing was left).
siz_t read_full_line(std::istream& file, siz_t& lineno, char delim, std::string& buffer,
                     std::string& statement);

// Removes name separators around `name` and its leading "~" marks (separators may stand between
// them); returns whether it carried an odd number of them.
bool remove_tilde(std::string_view& name);

// Skips the statement that starts with `line`: reads lines until one ends with `delim` (or the input
// ends). Reads nothing when `line` is empty or already ends with `delim`.
void ignore_command(std::istream& file, std::string_view line, siz_t& lineno, char delim);

}  // namespace operation
