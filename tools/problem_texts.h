// The words of a compiled problem for the texts table: its title (GN), its
// goal (the first sentence of the starting position's comment) and the
// comment of each tree entry, decoded from the file's charset to UTF-8, with
// the colour words swapped when the compiler swapped the colours.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "captions/text_table.h"
#include "tools/charset.h"
#include "tools/problem_compiler.h"
#include "tools/sgf_reader.h"

// The charset of a game tree's texts: its root's CA when that names one the
// compiler reads, else detected from the tree's comments and names together.
// A CA naming another charset gives a warning.
Charset treeCharset(const SgfTree& tree, std::vector<CompileMessage>& warnings);

ProblemTexts problemTexts(const SgfTree& tree, const CompiledProblem& compiled, std::vector<CompileMessage>& warnings);

// "Black" and "White" (as words, in any of the cases Black, black, BLACK)
// and the characters 黑 and 白 exchanged.
std::string swapColourWords(std::string_view utf8);

// The text up to and including the first full stop, question or exclamation
// mark that ends a sentence (followed by white space, a non-ASCII character
// or the end; a Chinese one anywhere), or up to the first line break; trimmed.
std::string firstSentence(std::string_view utf8);
