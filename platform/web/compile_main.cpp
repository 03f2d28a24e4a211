// The compile worker's program: the problem compiler, run on SGF texts the
// worker hands over one file at a time, giving back the compiled collection
// and every message about what could not be used.
#include <emscripten.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "host/collection_compile.h"

namespace {

CollectionCompiler* compiler = nullptr;
std::string result;

const char* keep(std::string text)
{
    result = std::move(text);
    return result.c_str();
}

}  // namespace

extern "C" {

EMSCRIPTEN_KEEPALIVE void vostra_compile_begin()
{
    delete compiler;
    compiler = new CollectionCompiler;
}

// One file's bytes (not NUL-terminated); its problems follow those before.
EMSCRIPTEN_KEEPALIVE void vostra_compile_file(const char* path, const char* bytes, int length)
{
    if (compiler) compiler->addFile(path, std::string_view(bytes, size_t(length)));
}

// A file or archive entry that could not be read: "path: reason".
EMSCRIPTEN_KEEPALIVE void vostra_compile_problem(const char* message)
{
    if (compiler) compiler->addProblem(message);
}

EMSCRIPTEN_KEEPALIVE int vostra_compile_count() { return compiler ? compiler->problems() : 0; }

// The messages so far, one a line.
EMSCRIPTEN_KEEPALIVE const char* vostra_compile_messages()
{
    std::string all;
    if (compiler)
        for (const std::string& m : compiler->messages()) all += m + "\n";
    return keep(std::move(all));
}

// The collection named `name` in its kept form, and its id after "id " on the
// first line: "id ID\nTEXT".
EMSCRIPTEN_KEEPALIVE const char* vostra_compile_finish(const char* name)
{
    if (!compiler) return keep("");
    const Collection c = compiler->collection(name);
    return keep("id " + c.id + "\n" + formatCollection(c));
}

}  // extern "C"
