#include "job/shell_quote.hpp"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "job/process.hpp"

// bash's own "printf %q" (in a UTF-8 locale) is the reference: a dry run's line must read back as the same
// words.
TEST(ShellQuote, QuotesAsBashPrintfQ) {
  const std::vector<std::string> words = {"",
                                          "plain-word_1.v",
                                          "/shared/a job/ctrl.v",
                                          "it's",
                                          "\"$HOME\"",
                                          "a\\b",
                                          "~user",
                                          "a~b",
                                          "a=~b",
                                          "PATH=a:~/bin",
                                          "#comment",
                                          "a#b",
                                          "=x",
                                          "%+-./:@_",
                                          "{}",
                                          "a,b;c|d&e<f>g(h)i*j?k[l]m^n`o!p",
                                          "tab\there",
                                          "line\nbreak",
                                          "bell\a esc\x1b del\x7f ctl\x02 q' b\\",
                                          "caf\xc3\xa9"};
  for (const std::string& word : words) {
    const job::child_result bash =
        job::run_child({"env", "LC_ALL=C.UTF-8", "bash", "-c", "printf %q \"$1\"", "bash", word},
                       {.out = job::sink::capture});
    EXPECT_EQ(job::shell_quote(word), bash.output) << word;
  }
}

TEST(ShellQuote, JoinsQuotedWordsWithBlanks) {
  EXPECT_EQ(job::shell_quote(std::vector<std::string>{"/bin/fullsim", "a b.v", "-o", ""}),
            "/bin/fullsim a\\ b.v -o ''");
}
