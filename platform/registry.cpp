// The registry: keys and values kept in one `.reg` text in the settings
// store.  Every call reads the store afresh and every change writes it back
// whole, so that the store always holds the registry as a whole, another
// process sees changes at once, and a damaged or unreadable store simply reads
// as an empty registry.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/frontend.h"
#include "platform/resource_table.h"
#include "platform/settings_store.h"

#ifndef ERROR_INVALID_HANDLE
#define ERROR_INVALID_HANDLE 6L
#endif
#ifndef ERROR_INVALID_PARAMETER
#define ERROR_INVALID_PARAMETER 87L
#endif
#ifndef ERROR_WRITE_FAULT
#define ERROR_WRITE_FAULT 29L
#endif

struct RegistryKey {
    std::wstring path;
};

namespace {

constexpr const char kHeader[] = "Windows Registry Editor Version 5.00";
constexpr size_t kMaxStoreBytes = 1 << 20;

// ---- configuration folder and the file store ------------------------------------

std::string envValue(const char* name)
{
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

bool makeDirectories(const std::string& path)
{
    if (path.empty()) return false;
    std::string partial;
    size_t pos = 0;
    while (pos != std::string::npos) {
        pos = path.find('/', pos + 1);
        partial = path.substr(0, pos);
        if (partial.empty()) continue;
        if (mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) return false;
    }
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool writeAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        ssize_t n = write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

std::unique_ptr<FileSettingsStore> g_defaultStore;
SettingsStore* g_store = nullptr;

// ---- the registry as data --------------------------------------------------------

struct Value {
    std::wstring name;  // empty: the key's default value
    DWORD type;
    std::vector<BYTE> data;
};

struct Key {
    std::wstring path;  // e.g. HKEY_CURRENT_USER\Software\pellam\Vostra
    std::vector<Value> values;
};

typedef std::vector<Key> Document;

std::set<const RegistryKey*> g_openKeys;

std::wstring folded(const std::wstring& s)
{
    std::wstring out(s);
    for (WCHAR& c : out) c = static_cast<WCHAR>(std::towupper(c));
    return out;
}

bool sameName(const std::wstring& a, const std::wstring& b) { return folded(a) == folded(b); }

const WCHAR* rootName(HKEY key)
{
    switch (reinterpret_cast<uintptr_t>(key)) {
    case 0x80000000:
        return L"HKEY_CLASSES_ROOT";
    case 0x80000001:
        return L"HKEY_CURRENT_USER";
    case 0x80000002:
        return L"HKEY_LOCAL_MACHINE";
    case 0x80000003:
        return L"HKEY_USERS";
    default:
        return nullptr;
    }
}

bool knownRoot(const std::wstring& path)
{
    std::wstring root = folded(path.substr(0, path.find(L'\\')));
    for (uintptr_t k = 0x80000000; k <= 0x80000003; ++k) {
        if (root == rootName(reinterpret_cast<HKEY>(k))) return true;
    }
    return false;
}

// The full path of key\subKey with empty parts removed; false for a handle
// that is neither a root nor open.
bool fullPath(HKEY key, LPCWSTR subKey, std::wstring* out)
{
    std::wstring path;
    if (const WCHAR* root = rootName(key)) {
        path = root;
    } else if (key && g_openKeys.count(key)) {
        path = key->path;
    } else {
        return false;
    }
    if (subKey) {
        std::wstring part;
        for (const WCHAR* p = subKey;; ++p) {
            if (*p == L'\\' || *p == 0) {
                if (!part.empty()) path += L'\\' + part;
                part.clear();
                if (*p == 0) break;
            } else {
                part += *p;
            }
        }
    }
    *out = path;
    return true;
}

Key* findKey(Document& doc, const std::wstring& path)
{
    for (Key& k : doc) {
        if (sameName(k.path, path)) return &k;
    }
    return nullptr;
}

// A key exists when it is a root, was written, or lies above a written key.
bool keyExists(const Document& doc, const std::wstring& path)
{
    if (path.find(L'\\') == std::wstring::npos) return true;
    std::wstring want = folded(path);
    for (const Key& k : doc) {
        std::wstring have = folded(k.path);
        if (have == want ||
            (have.size() > want.size() && have.compare(0, want.size(), want) == 0 && have[want.size()] == L'\\'))
            return true;
    }
    return false;
}

Value* findValue(Key& key, const std::wstring& name)
{
    for (Value& v : key.values) {
        if (sameName(v.name, name)) return &v;
    }
    return nullptr;
}

// ---- reading and writing the text ---------------------------------------------

int hexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool parseHexNumber(const std::string& s, size_t maxDigits, unsigned long* out)
{
    if (s.empty() || s.size() > maxDigits) return false;
    unsigned long v = 0;
    for (char c : s) {
        int d = hexDigit(c);
        if (d < 0) return false;
        v = v * 16 + static_cast<unsigned long>(d);
    }
    *out = v;
    return true;
}

// "text" with \\ and \" escapes, starting at s[pos] == '"'; pos ends after
// the closing quote.
bool parseQuoted(const std::string& s, size_t& pos, std::string* out)
{
    if (pos >= s.size() || s[pos] != '"') return false;
    out->clear();
    for (++pos; pos < s.size(); ++pos) {
        char c = s[pos];
        if (c == '"') {
            ++pos;
            return true;
        }
        if (c == '\\') {
            if (++pos >= s.size()) return false;
            c = s[pos];
            if (c != '\\' && c != '"') return false;
        }
        *out += c;
    }
    return false;
}

std::vector<BYTE> wideBytes(const std::wstring& text)
{
    std::vector<BYTE> bytes((text.size() + 1) * sizeof(WCHAR));
    std::memcpy(bytes.data(), text.c_str(), bytes.size());
    return bytes;
}

bool parseData(const std::string& s, Value* v)
{
    if (!s.empty() && s[0] == '"') {
        size_t pos = 0;
        std::string text;
        if (!parseQuoted(s, pos, &text) || pos != s.size()) return false;
        v->type = REG_SZ;
        v->data = wideBytes(resWideFromUtf8(text.c_str()));
        return true;
    }
    if (s.compare(0, 6, "dword:") == 0) {
        unsigned long n;
        if (!parseHexNumber(s.substr(6), 8, &n)) return false;
        DWORD d = static_cast<DWORD>(n);
        v->type = REG_DWORD;
        v->data.assign(reinterpret_cast<BYTE*>(&d), reinterpret_cast<BYTE*>(&d) + 4);
        return true;
    }
    size_t colon = s.find(':');
    if (colon == std::string::npos) return false;
    std::string kind = s.substr(0, colon);
    if (kind == "hex") {
        v->type = 3;  // REG_BINARY
    } else if (kind.size() > 5 && kind.compare(0, 4, "hex(") == 0 && kind.back() == ')') {
        unsigned long t;
        if (!parseHexNumber(kind.substr(4, kind.size() - 5), 8, &t)) return false;
        v->type = static_cast<DWORD>(t);
    } else {
        return false;
    }
    v->data.clear();
    std::string bytes = s.substr(colon + 1);
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t comma = bytes.find(',', pos);
        std::string item = bytes.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
        unsigned long b;
        if (item.size() != 2 || !parseHexNumber(item, 2, &b)) return false;
        v->data.push_back(static_cast<BYTE>(b));
        if (comma == std::string::npos) break;
        pos = comma + 1;
        if (pos == bytes.size()) return false;
    }
    return true;
}

std::optional<Document> parseDocument(std::string text)
{
    if (text.compare(0, 3, "\xEF\xBB\xBF") == 0) text.erase(0, 3);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        // A line ending in a backslash goes on in the next one (long hex data).
        if (!lines.empty() && !lines.back().empty() && lines.back().back() == '\\') {
            lines.back().pop_back();
            size_t first = line.find_first_not_of(" \t");
            lines.back() += first == std::string::npos ? std::string() : line.substr(first);
        } else {
            lines.push_back(line);
        }
        if (end == std::string::npos) break;
        start = end + 1;
    }

    Document doc;
    bool headerSeen = false;
    Key* current = nullptr;
    for (const std::string& line : lines) {
        if (line.empty() || line[0] == ';') continue;
        if (!headerSeen) {
            if (line != kHeader) return std::nullopt;
            headerSeen = true;
            continue;
        }
        if (line[0] == '[') {
            if (line.size() < 3 || line.back() != ']' || line[1] == '-') return std::nullopt;
            std::wstring path = resWideFromUtf8(line.substr(1, line.size() - 2).c_str());
            if (!knownRoot(path)) return std::nullopt;
            if (!(current = findKey(doc, path))) {
                doc.push_back(Key{path, {}});
                current = &doc.back();
            }
            continue;
        }
        if (!current) return std::nullopt;
        Value v;
        size_t pos = 0;
        std::string name;
        if (line[0] == '@') {
            pos = 1;
        } else if (!parseQuoted(line, pos, &name)) {
            return std::nullopt;
        }
        if (pos >= line.size() || line[pos] != '=') return std::nullopt;
        v.name = resWideFromUtf8(name.c_str());
        if (!parseData(line.substr(pos + 1), &v)) return std::nullopt;
        if (Value* old = findValue(*current, v.name)) {
            *old = v;
        } else {
            current->values.push_back(v);
        }
    }
    if (!headerSeen) return std::nullopt;
    return doc;
}

std::string quoted(const std::string& s)
{
    std::string out = "\"";
    for (char c : s) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out + "\"";
}

std::string formatDocument(const Document& doc)
{
    std::string out = std::string(kHeader) + "\n\n";
    char buf[32];
    for (const Key& k : doc) {
        out += "[" + resUtf8FromWide(k.path.c_str()) + "]\n";
        for (const Value& v : k.values) {
            out += v.name.empty() ? std::string("@") : quoted(resUtf8FromWide(v.name.c_str()));
            out += '=';
            if (v.type == REG_DWORD && v.data.size() == 4) {
                DWORD d;
                std::memcpy(&d, v.data.data(), 4);
                std::snprintf(buf, sizeof buf, "dword:%08x", static_cast<unsigned>(d));
                out += buf;
            } else if (v.type == REG_SZ && v.data.size() % sizeof(WCHAR) == 0) {
                std::wstring text(reinterpret_cast<const WCHAR*>(v.data.data()), v.data.size() / sizeof(WCHAR));
                out += quoted(resUtf8FromWide(text.c_str()));
            } else {
                if (v.type == 3) {
                    out += "hex:";
                } else {
                    std::snprintf(buf, sizeof buf, "hex(%x):", static_cast<unsigned>(v.type));
                    out += buf;
                }
                for (size_t i = 0; i < v.data.size(); ++i) {
                    std::snprintf(buf, sizeof buf, i ? ",%02x" : "%02x", v.data[i]);
                    out += buf;
                }
            }
            out += '\n';
        }
        out += '\n';
    }
    return out;
}

Document loadDocument()
{
    std::string text;
    if (!settingsStore().load(text) || text.size() > kMaxStoreBytes) return Document();
    std::optional<Document> doc = parseDocument(text);
    return doc ? *doc : Document();
}

bool saveDocument(const Document& doc) { return settingsStore().save(formatDocument(doc)); }

HKEY openHandle(const std::wstring& path)
{
    RegistryKey* k = new RegistryKey{path};
    g_openKeys.insert(k);
    return k;
}

}  // namespace

// ---- the store ------------------------------------------------------------------

std::string configDirectory()
{
    std::string dir = envValue("VOSTRA_CONFIG_DIR");
    if (!dir.empty()) return dir;
    std::string xdg = envValue("XDG_CONFIG_HOME");
    if (!xdg.empty() && xdg[0] == '/') return xdg + "/vostra";
    std::string home = envValue("HOME");
    if (home.empty()) {
        if (const passwd* pw = getpwuid(getuid())) home = pw->pw_dir ? pw->pw_dir : "";
    }
    if (home.empty()) home = "/tmp";
    return home + "/.config/vostra";
}

bool ensureConfigDirectory() { return makeDirectories(configDirectory()); }

bool FileSettingsStore::load(std::string& text)
{
    int fd = open(path_.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    text.clear();
    char buf[4096];
    bool ok = true;
    for (;;) {
        ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 || text.size() > kMaxStoreBytes) {
            ok = false;
            break;
        }
        if (n == 0) break;
        text.append(buf, static_cast<size_t>(n));
    }
    close(fd);
    return ok;
}

bool FileSettingsStore::save(const std::string& text)
{
    size_t slash = path_.rfind('/');
    std::string dir = slash == std::string::npos ? std::string(".") : path_.substr(0, slash);
    if (slash != std::string::npos && !makeDirectories(dir)) return false;
    std::string temp = path_ + ".tmp";
    int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    bool ok = writeAll(fd, text.data(), text.size()) && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    if (!ok || rename(temp.c_str(), path_.c_str()) != 0) {
        unlink(temp.c_str());
        return false;
    }
    // Make the rename itself durable.
    int dfd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        fsync(dfd);
        close(dfd);
    }
    return true;
}

SettingsStore& settingsStore()
{
    if (g_store) return *g_store;
    if (!g_defaultStore) g_defaultStore = std::make_unique<FileSettingsStore>(configDirectory() + "/registry.reg");
    return *g_defaultStore;
}

void setSettingsStore(SettingsStore* store)
{
    g_store = store;
    g_defaultStore.reset();
}

// ---- the registry calls -----------------------------------------------------------

LSTATUS RegOpenKeyExW(HKEY key, LPCWSTR subKey, DWORD options, DWORD access, HKEY* result)
{
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    std::wstring path;
    if (!fullPath(key, subKey, &path)) return ERROR_INVALID_HANDLE;
    if (!keyExists(loadDocument(), path)) return ERROR_FILE_NOT_FOUND;
    *result = openHandle(path);
    return ERROR_SUCCESS;
}

LSTATUS RegCreateKeyExW(HKEY key, LPCWSTR subKey, DWORD reserved, LPWSTR className, DWORD options, DWORD access,
                        void* security, HKEY* result, DWORD* disposition)
{
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    std::wstring path;
    if (!fullPath(key, subKey, &path)) return ERROR_INVALID_HANDLE;
    Document doc = loadDocument();
    bool exists = keyExists(doc, path);
    if (!exists) {
        doc.push_back(Key{path, {}});
        if (!saveDocument(doc)) return ERROR_WRITE_FAULT;
    }
    if (disposition) *disposition = exists ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    *result = openHandle(path);
    return ERROR_SUCCESS;
}

LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* dataSize)
{
    std::wstring path;
    if (!fullPath(key, nullptr, &path)) return ERROR_INVALID_HANDLE;
    if (data && !dataSize) return ERROR_INVALID_PARAMETER;
    Document doc = loadDocument();
    Key* k = findKey(doc, path);
    Value* v = k ? findValue(*k, valueName ? valueName : L"") : nullptr;
    if (!v) return ERROR_FILE_NOT_FOUND;
    if (type) *type = v->type;
    DWORD size = static_cast<DWORD>(v->data.size());
    if (data && *dataSize < size) {
        *dataSize = size;
        return ERROR_MORE_DATA;
    }
    if (data) std::memcpy(data, v->data.data(), size);
    if (dataSize) *dataSize = size;
    return ERROR_SUCCESS;
}

LSTATUS RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD dataSize)
{
    std::wstring path;
    if (!fullPath(key, nullptr, &path)) return ERROR_INVALID_HANDLE;
    if (!data && dataSize) return ERROR_INVALID_PARAMETER;
    if (path.find(L'\\') == std::wstring::npos) return ERROR_INVALID_PARAMETER;  // no values on roots
    Document doc = loadDocument();
    Key* k = findKey(doc, path);
    if (!k) {
        doc.push_back(Key{path, {}});
        k = &doc.back();
    }
    Value v{valueName ? valueName : L"", type, std::vector<BYTE>(data, data + dataSize)};
    if (Value* old = findValue(*k, v.name)) {
        *old = v;
    } else {
        k->values.push_back(v);
    }
    if (!saveDocument(doc)) return ERROR_WRITE_FAULT;
    if (type == REG_DWORD && dataSize == 4 && sameName(v.name, L"CurrentProblemNo")) {
        int32_t n;
        std::memcpy(&n, data, 4);
        transcriptLine("store " + std::to_string(n));
    }
    return ERROR_SUCCESS;
}

LSTATUS RegCloseKey(HKEY key)
{
    if (rootName(key)) return ERROR_SUCCESS;
    auto it = g_openKeys.find(key);
    if (it == g_openKeys.end()) return ERROR_INVALID_HANDLE;
    g_openKeys.erase(it);
    delete key;
    return ERROR_SUCCESS;
}
