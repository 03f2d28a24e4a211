#include "host/zip_reader.h"

#include <zlib.h>

namespace {

uint32_t le16(std::string_view s, size_t at) { return uint8_t(s[at]) | uint32_t(uint8_t(s[at + 1])) << 8; }
uint32_t le32(std::string_view s, size_t at) { return le16(s, at) | le16(s, at + 2) << 16; }

constexpr uint32_t kEndOfDirectory = 0x06054b50;
constexpr uint32_t kDirectoryEntry = 0x02014b50;
constexpr uint32_t kLocalHeader = 0x04034b50;

// Inflates raw deflate data into exactly `size` bytes; false on damage.
bool inflateRaw(std::string_view in, uint64_t size, std::string& out)
{
    out.assign(size_t(size), '\0');
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return false;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    z.avail_in = uInt(in.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = uInt(out.size());
    int rc = inflate(&z, Z_FINISH);
    // An empty file inflates to nothing and may stop with Z_BUF_ERROR.
    const bool ok = rc == Z_STREAM_END || (size == 0 && rc == Z_BUF_ERROR);
    const bool full = z.total_out == size;
    inflateEnd(&z);
    return ok && full;
}

}  // namespace

bool looksLikeZip(std::string_view b) { return b.size() >= 4 && le32(b, 0) == kLocalHeader; }

bool readZip(std::string_view a, bool (*wanted)(std::string_view), uint64_t maxSize, std::vector<ZipEntry>& entries,
             std::string& error)
{
    // The end-of-directory record lies in the last 64 KiB + 22 bytes.
    if (a.size() < 22) {
        error = "too short to be a zip archive";
        return false;
    }
    size_t end = std::string_view::npos;
    const size_t lowest = a.size() > 65557 ? a.size() - 65557 : 0;
    for (size_t at = a.size() - 22 + 1; at-- > lowest;)
        if (le32(a, at) == kEndOfDirectory) {
            end = at;
            break;
        }
    if (end == std::string_view::npos) {
        error = "not a zip archive (no central directory)";
        return false;
    }
    const uint32_t count = le16(a, end + 10);
    const uint32_t dirSize = le32(a, end + 12), dirOffset = le32(a, end + 16);
    if (dirOffset == 0xFFFFFFFF || count == 0xFFFF) {
        error = "ZIP64 archives are not supported";
        return false;
    }
    if (uint64_t(dirOffset) + dirSize > end) {
        error = "the central directory lies outside the archive";
        return false;
    }
    size_t at = dirOffset;
    for (uint32_t i = 0; i < count; ++i) {
        if (at + 46 > end || le32(a, at) != kDirectoryEntry) {
            error = "damaged central directory at entry " + std::to_string(i + 1);
            return false;
        }
        const uint32_t flags = le16(a, at + 8), method = le16(a, at + 10);
        const uint32_t packed = le32(a, at + 20), size = le32(a, at + 24);
        const uint32_t nameLength = le16(a, at + 28), extraLength = le16(a, at + 30), commentLength = le16(a, at + 32);
        const uint32_t local = le32(a, at + 42);
        if (at + 46 + nameLength > end) {
            error = "damaged central directory at entry " + std::to_string(i + 1);
            return false;
        }
        ZipEntry e;
        e.name.assign(a.substr(at + 46, nameLength));
        at += 46 + size_t(nameLength) + extraLength + commentLength;
        if (e.name.empty() || e.name.back() == '/' || !wanted(e.name)) continue;
        if (flags & 1) {
            e.error = "encrypted entries cannot be read";
        } else if (method != 0 && method != 8) {
            e.error = "compression method " + std::to_string(method) + " is not supported";
        } else if (size > maxSize) {
            e.error =
                std::to_string(size) + " bytes; files of more than " + std::to_string(maxSize) + " bytes are not read";
        } else if (uint64_t(local) + 30 > a.size() || le32(a, local) != kLocalHeader) {
            e.error = "damaged entry (no local header)";
        } else {
            const uint64_t data = uint64_t(local) + 30 + le16(a, local + 26) + le16(a, local + 28);
            if (data + packed > a.size()) {
                e.error = "damaged entry (data past the end of the archive)";
            } else if (method == 0) {
                if (packed != size)
                    e.error = "damaged entry (sizes differ)";
                else
                    e.data.assign(a.substr(size_t(data), packed));
            } else if (!inflateRaw(a.substr(size_t(data), packed), size, e.data)) {
                e.data.clear();
                e.error = "damaged compressed data";
            }
        }
        entries.push_back(std::move(e));
    }
    return true;
}
