// A reader for SGF collections (FF[3] and FF[4]): game trees of nodes holding
// properties with one or more values.  It is written for untrusted files: it
// never recurses, its work and memory grow linearly with the input, and it
// stops at the first syntax error with the line and a plain reason.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct SgfProperty {
    // Upper-case letters of the identifier (FF[3] lower-case letters dropped);
    // identifiers longer than 7 letters are kept as "" and never match.
    char ident[8];
    int32_t line;
    int32_t firstValue;  // index into SgfTree::values
    int32_t valueCount;
};

struct SgfNode {
    int32_t parent = -1;
    int32_t firstChild = -1;
    int32_t lastChild = -1;
    int32_t nextSibling = -1;
    int32_t firstProp = 0;  // index into SgfTree::props
    int32_t propCount = 0;
    int32_t line = 0;
};

// One game tree; node 0 is its root.  Values are stored in one text with
// escapes and soft line breaks already removed.
struct SgfTree {
    std::vector<SgfNode> nodes;
    std::vector<SgfProperty> props;
    std::vector<std::pair<uint32_t, uint32_t>> values;  // offset and length in text
    std::string text;
    int32_t line = 0;  // line of the tree's opening '('

    const SgfProperty* find(int32_t node, std::string_view ident) const;
    std::string_view value(const SgfProperty& p, int32_t i) const;
    // The first value of the property, or an empty view when it is absent.
    std::string_view firstValue(int32_t node, std::string_view ident) const;
};

struct SgfError {
    int32_t line = 0;
    std::string reason;
};

// The limits a tree may reach before the reader gives up on it: far beyond any
// problem the record format can hold, they keep hostile files from eating the
// machine's memory.
constexpr int32_t kSgfMaxNodes = 200000;
constexpr int32_t kSgfMaxProperties = 1000000;

// Reads every game tree of the collection into trees.  Text outside the game
// trees is ignored.  On a syntax error the trees completed before it are kept,
// error is filled and the result is false.
bool readSgf(std::string_view input, std::vector<SgfTree>& trees, SgfError& error);
