// A compiled problem collection as it is kept between runs, and the outcomes
// of its problems.  Both are small line-based texts, so that a damaged one can
// be told apart from a sound one and a person can read them.
//
// A collection:
//     vostra collection 1
//     name Gokyo Shumyo
//     section problems 520
//     RECORD SOURCE            (one line per problem, as in a catalogue file)
//     ...
//     section texts COUNT      (the problems' words, see collectionTexts())
//     section NAME COUNT       (further sections, kept as they are)
//     ...
//     end
// Progress:
//     vostra progress 1
//     S 0123456789abcdef       (an outcome letter and the record's hash)
//     ...
//     end
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "captions/text_table.h"

struct Collection {
    std::string id;    // the name in file names and registry keys: [a-z0-9-]
    std::string name;  // the name shown to the user
    std::vector<std::string> records;
    std::vector<std::string> sources;  // where each record came from, "file" or "file:N"
    // Sections this program does not read itself, by name: kept as they are.
    std::map<std::string, std::vector<std::string>> extra;
};

enum class Outcome : char {
    NotTried = '.',
    FirstTry = 'S',       // solved without Back, Hint or a restart
    AfterMistakes = 'M',  // solved, but not at the first try
    Failed = 'F',         // failed and not yet solved
};

std::string formatCollection(const Collection& c);
// False, with the line and what is wrong in error, for a text that is not a
// whole collection (truncated, a bad record, a wrong count...).
bool parseCollection(std::string_view text, Collection& out, std::string& error);

// The problems' words a collection carries, numbered like its records: the
// lines of its "texts" section, in the problem texts table's format.  A
// collection kept before it had them gives an empty table.
TextTable collectionTexts(const Collection& c);
void setCollectionTexts(Collection& c, const TextTable& table);

// Outcomes are keyed by the record's hash, so that they follow a problem when
// its collection is compiled again from changed files.
uint64_t recordHash(std::string_view record);
std::string formatProgress(const Collection& c, const std::vector<Outcome>& outcomes);
// outcomes gets one entry per record of c (NotTried where nothing is stored).
bool parseProgress(std::string_view text, const Collection& c, std::vector<Outcome>& outcomes, std::string& error);

// The id for a name: lower case letters and digits, other runs become '-'.
std::string collectionId(std::string_view name);
// The shown name for a file or folder name: its stem, '-' and '_' as spaces,
// each word capitalised ("gokyo-shumyo.zip" -> "Gokyo Shumyo").
std::string displayName(std::string_view stem);

// "Gokyo Shumyo · problem 12 of 520 · 7 solved, 3 to retry"
std::string progressLine(const Collection& c, const std::vector<Outcome>& outcomes, int32_t current);
struct ProgressCounts {
    int32_t firstTry = 0, afterMistakes = 0, failed = 0, notTried = 0;
};
ProgressCounts countOutcomes(const std::vector<Outcome>& outcomes);
