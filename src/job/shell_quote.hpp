#pragma once

#include <string>
#include <string_view>
#include <vector>

// Words quoted for a shell, as bash's "printf %q" quotes them: a dry run prints a command that a
// shell runs as it stands, and GNU parallel hands its command line to a shell.
namespace job {

// The word quoted as "printf %q" quotes it in a UTF-8 locale: '' when empty; $'...' with escapes
// when it holds a control character; otherwise a backslash before each character that a shell
// treats specially (and before a leading "#", and a "~" that begins the word or follows ":" or "=").
std::string shell_quote(std::string_view word);

// The words quoted and joined by blanks.
std::string shell_quote(const std::vector<std::string>& words);

}  // namespace job
