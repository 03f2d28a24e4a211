// Where the registry is kept between runs: one text in the familiar `.reg`
// export format.  On the desktop and in the headless runner it is the file
// registry.reg in the configuration folder; other front-ends (the browser)
// put a store of their own in its place.
#pragma once

#include <string>

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // The stored text; false when there is none or it cannot be read.
    virtual bool load(std::string& text) = 0;
    // Replaces the stored text in one step: whatever happens meanwhile, a
    // later load sees either the old text or the new one.
    virtual bool save(const std::string& text) = 0;
};

// A store in a file, replaced atomically (temporary file, flush, rename).
class FileSettingsStore : public SettingsStore {
public:
    explicit FileSettingsStore(std::string path) : path_(std::move(path)) {}
    bool load(std::string& text) override;
    bool save(const std::string& text) override;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

// The store the registry uses; by default the file registry.reg in
// configDirectory().  setSettingsStore(nullptr) goes back to that file (and
// looks at the environment afresh).
SettingsStore& settingsStore();
void setSettingsStore(SettingsStore* store);

// The configuration folder: $VOSTRA_CONFIG_DIR, else $XDG_CONFIG_HOME/vostra,
// else ~/.config/vostra.  ensureConfigDirectory() creates it (and its
// parents) when missing.
std::string configDirectory();
bool ensureConfigDirectory();
