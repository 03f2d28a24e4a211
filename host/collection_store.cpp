#include "host/collection_store.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string env(const char* name)
{
    const char* v = std::getenv(name);
    return v && *v ? std::string(v) : std::string();
}

bool readText(const std::string& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::stringstream s;
    s << in.rdbuf();
    text = s.str();
    return !in.bad();
}

bool writeAll(int fd, const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        done += size_t(n);
    }
    return true;
}

}  // namespace

std::string dataDirectory()
{
    std::string dir = env("VOSTRA_DATA_DIR");
    if (!dir.empty()) return dir;
    const std::string xdg = env("XDG_DATA_HOME");
    if (!xdg.empty()) return xdg + "/vostra";
    const std::string home = env("HOME");
    return (home.empty() ? std::string(".") : home) + "/.local/share/vostra";
}

bool writeFileAtomically(const std::string& path, const std::string& text)
{
    const std::string temp = path + ".tmp-" + std::to_string(getpid());
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool ok = writeAll(fd, text) && ::fsync(fd) == 0;
    const int saved = errno;
    ok = ::close(fd) == 0 && ok;
    if (ok && ::rename(temp.c_str(), path.c_str()) == 0) {
        // The rename itself reaches the disk with the folder.
        const std::string folder = fs::path(path).parent_path().string();
        const int dir = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
        return true;
    }
    const int failed = ok ? errno : saved;
    ::unlink(temp.c_str());
    errno = failed;
    return false;
}

CollectionStore::CollectionStore(std::string folder) : folder_(std::move(folder)) {}

std::string CollectionStore::path(const std::string& id, const char* kind) const
{
    return folder_ + "/" + id + "." + kind;
}

std::vector<std::string> CollectionStore::ids() const
{
    std::vector<std::string> out;
    std::error_code ec;
    for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path p = it->path();
        if (p.extension() == ".collection") out.push_back(p.stem().string());
    }
    std::sort(out.begin(), out.end());
    return out;
}

void CollectionStore::setAside(const std::string& file, const std::string& why, FILE* report)
{
    char stamp[32];
    const std::time_t now = std::time(nullptr);
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", std::localtime(&now));
    std::string aside = file + ".damaged-" + stamp;
    for (int n = 2; fs::exists(aside); ++n) aside = file + ".damaged-" + stamp + "-" + std::to_string(n);
    std::error_code ec;
    fs::rename(file, aside, ec);
    if (report)
        std::fprintf(report, "%s: damaged (%s); %s\n", file.c_str(), why.c_str(),
                     ec ? ("cannot set it aside: " + ec.message()).c_str() : ("set aside as " + aside).c_str());
}

bool CollectionStore::load(const std::string& id, Collection& c, std::vector<Outcome>& outcomes, FILE* report)
{
    const std::string file = path(id, "collection");
    std::string text, error;
    if (!readText(file, text)) {
        if (report) std::fprintf(report, "%s: cannot read: %s\n", file.c_str(), std::strerror(errno));
        return false;
    }
    Collection loaded;
    loaded.id = id;
    if (!parseCollection(text, loaded, error)) {
        setAside(file, error, report);
        return false;
    }
    c = std::move(loaded);
    outcomes.assign(c.records.size(), Outcome::NotTried);
    const std::string progress = path(id, "progress");
    if (!fs::exists(progress)) return true;
    if (!readText(progress, text)) {
        if (report) std::fprintf(report, "%s: cannot read: %s\n", progress.c_str(), std::strerror(errno));
        return true;
    }
    if (!parseProgress(text, c, outcomes, error)) {
        setAside(progress, error, report);
        outcomes.assign(c.records.size(), Outcome::NotTried);
    }
    return true;
}

bool CollectionStore::save(const Collection& c, FILE* report)
{
    std::error_code ec;
    fs::create_directories(folder_, ec);
    const std::string file = path(c.id, "collection");
    if (writeFileAtomically(file, formatCollection(c))) return true;
    if (report) std::fprintf(report, "%s: cannot write: %s\n", file.c_str(), std::strerror(errno));
    return false;
}

bool CollectionStore::saveProgress(const Collection& c, const std::vector<Outcome>& outcomes, FILE* report)
{
    const std::string file = path(c.id, "progress");
    if (writeFileAtomically(file, formatProgress(c, outcomes))) return true;
    if (report) std::fprintf(report, "%s: cannot write: %s\n", file.c_str(), std::strerror(errno));
    return false;
}

bool CollectionStore::remove(const std::string& id)
{
    std::error_code ec;
    const bool had = fs::remove(path(id, "collection"), ec);
    fs::remove(path(id, "progress"), ec);
    return had;
}

std::string CollectionStore::find(const std::string& nameOrId)
{
    const std::vector<std::string> all = ids();
    if (std::find(all.begin(), all.end(), nameOrId) != all.end()) return nameOrId;
    const std::string id = collectionId(nameOrId);
    if (std::find(all.begin(), all.end(), id) != all.end()) return id;
    return "";
}
