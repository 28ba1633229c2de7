#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ornibe {

// Windows command lines: one text that the program splits into arguments.
//
// splitCommandLine applies these rules to every argument, the program name
// included:
// - Arguments are separated by runs of blanks (space or tab) outside quotes.
// - A double quote starts or ends a quoted part; blanks inside it belong to
//   the argument. Quoted and unquoted parts next to each other make one
//   argument (-s:"C:\a b" is one argument "-s:C:\a b").
// - Inside a quoted part, two double quotes stand for one literal quote and
//   the quoted part goes on.
// - 2n backslashes followed by a double quote give n backslashes, and the
//   quote starts or ends a quoted part; 2n+1 backslashes followed by a
//   double quote give n backslashes and a literal quote.
// - Backslashes not followed by a double quote are literal.
// - A quoted part that is never closed runs to the end of the text.
// - An empty quoted part ("") is an empty argument.
std::vector<std::string> splitCommandLine(std::string_view commandLine);

// The value in double quotes, escaped so that splitCommandLine gives it
// back as exactly one argument, whatever it holds (quotes, backslashes,
// blanks, nothing at all).
std::string quoteArgument(std::string_view value);

} // namespace ornibe
