// vostra-problems decode RECORD: prints the board size and the decoded texts
// of one record.
#include <cstdio>
#include <cstring>

#include "game/context.h"
#include "problems/record.h"
#include "tools/commands.h"
#include "tools/problem.h"

int runDecode(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: vostra-problems decode RECORD\n");
        return 2;
    }
    const char* record = argv[1];
    const size_t length = std::strlen(record);
    for (size_t i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(record[i]);
        if (c < '0' || c > 'o') {
            std::fprintf(stderr,
                         "vostra-problems decode: character %zu of the record ('%c', code %u) is "
                         "outside '0'..'o'\n",
                         i + 1, c >= 32 && c < 127 ? c : '?', c);
            return 1;
        }
    }
    if (length > static_cast<size_t>(kMaxRecordLength)) {
        std::fprintf(stderr, "vostra-problems decode: the record has %zu characters, at most %zu fit\n", length,
                     static_cast<size_t>(kMaxRecordLength));
        return 1;
    }

    static char buffer[kMaxRecordLength + 1];
    std::memcpy(buffer, record, length + 1);
    const int32 byteCount = unpackRecord(buffer);
    static GameContext g;
    decodeRecord(g, reinterpret_cast<const uint8_t*>(buffer), byteCount);
    std::printf("cols %d\nrows %d\nsetup %s\nnodes %s\n", g.problemCols, g.problemRows, g.SetupText, g.NodeText);
    return 0;
}
