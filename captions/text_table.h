// The problem texts table: the words of each problem (its title, its goal and
// the comments of its tree's nodes), kept beside a catalogue and numbered like
// its records.  The records themselves hold no text.
//
// The table is UTF-8 text, one text a line, three fields separated by a tab:
//
//     # vostra problem texts
//     1	title	Hane from the edge
//     1	goal	Black to kill the white corner group.
//     1	14	Wrong. White blocks on the edge and lives.
//
// - the problem's number: 1 for the catalogue's first record, in the order of
//   its lines;
// - the key: "title", "goal", or the number of a tree entry of the record
//   (entries in record order, 0 being the starting position and 1 the first
//   move), whose comment the text is;
// - the text, with "\n" for a line break, "\t" for a tab and "\\" for a
//   backslash.
// Blank lines and lines starting with '#' are not texts; unknown keys are
// skipped, so that later tables can say more.  A problem without a line has
// no texts.  The compiler writes a catalogue FILE.txt's table as FILE.texts.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

struct ProblemTexts {
    std::string title;
    std::string goal;
    std::map<int32_t, std::string> comments;  // by tree entry

    bool empty() const { return title.empty() && goal.empty() && comments.empty(); }
    // The comment of a tree entry, or "" when it has none.
    const std::string& comment(int32_t entry) const;
};

class TextTable {
public:
    // Reads a table.  On a malformed line returns false with error set to
    // "line N: what is wrong"; the lines before it are kept.
    bool parse(std::string_view text, std::string& error);
    // The texts of problem n (numbered from 1); an empty set when it has none.
    const ProblemTexts& problem(int32_t n) const;
    void set(int32_t n, ProblemTexts texts);
    // The whole table in the format above, problems in ascending order.
    std::string write() const;
    bool empty() const { return problems_.empty(); }

private:
    std::map<int32_t, ProblemTexts> problems_;
};

// The text with line breaks, tabs and backslashes escaped, and back.
std::string escapeTableText(std::string_view text);
std::string unescapeTableText(std::string_view text);

// Where the compiler writes the table of a catalogue file: its name with
// ".txt" replaced by ".texts", or ".texts" added.
std::string textTablePathFor(const std::string& cataloguePath);
