#include "host/trainer_host.h"

#include "captions/captions.h"
#include "control/operations.h"
#include "game/catalogue.h"
#include "game/commands.h"
#include "game/context.h"
#include "game/notify.h"
#include "platform/frontend.h"
#include "shell/dialogs.h"

namespace {

// Posted to the main window; the switch or selection waits in `pending`.
constexpr UINT kHostMessage = 0x8000 + 0x310;  // in the application range (WM_APP and above)

struct Active {
    bool inUse = false;
    Collection collection;
    std::vector<Outcome> outcomes;
    std::vector<const char*> records;
    std::wstring key;
};

struct Pending {
    enum Kind { None, Switch, BuiltIn, Select } kind = None;
    Collection collection;
    std::vector<Outcome> outcomes;
    int number = 0;
};

struct HostState {
    Active active;
    Pending pending;
    CollectionKeeper* keeper = nullptr;
    // The problem whose attempt is followed and whether it is still clean.
    int32 attemptProblem = 0;
    bool clean = true;
    bool started = false;  // the game exists and the observer is in place
};

HostState& S()
{
    static HostState* s = new HostState;  // used until the very end of the process
    return *s;
}

const wchar_t kCollectionsKey[] = L"Software\\pellam\\Vostra\\Collections";

void activate(Pending& p)
{
    Active& a = S().active;
    if (p.kind == Pending::Switch) {
        a.inUse = true;
        a.collection = std::move(p.collection);
        a.outcomes = std::move(p.outcomes);
        a.outcomes.resize(a.collection.records.size(), Outcome::NotTried);
        a.records.clear();
        for (const std::string& r : a.collection.records) a.records.push_back(r.c_str());
        a.key = collectionRegistryKey(a.collection.id);
        setRuntimeCatalogue(a.records.data(), int32(a.records.size()));
        setProblemRegistryKey(reinterpret_cast<const WCHAR*>(a.key.c_str()));
        setCaptionTexts(collectionTexts(a.collection));
    } else {
        setRuntimeCatalogue(nullptr, 0);
        setProblemRegistryKey(nullptr);
        setCaptionTexts(builtinCaptionTexts());
        a = Active{};
    }
    p = Pending{};
    theGame().problemCount = activeCatalogueCount();
    S().attemptProblem = 0;
    if (S().keeper) S().keeper->collectionChanged(a.inUse ? a.collection.id : std::string());
}

void record(int32 number, bool solved)
{
    Active& a = S().active;
    if (!a.inUse || number < 1 || size_t(number) > a.outcomes.size()) return;
    Outcome& o = a.outcomes[size_t(number - 1)];
    Outcome now = o;
    if (solved) {
        if (o == Outcome::NotTried)
            now = S().clean ? Outcome::FirstTry : Outcome::AfterMistakes;
        else if (o == Outcome::Failed)
            now = Outcome::AfterMistakes;
    } else if (o == Outcome::NotTried) {
        now = Outcome::Failed;
    }
    if (now == o) return;
    o = now;
    if (S().keeper) {
        S().keeper->progressChanged(a.collection, a.outcomes);
        S().keeper->statusChanged();
    }
}

void runPending()
{
    GameContext& g = theGame();
    Pending& p = S().pending;
    if (p.kind == Pending::Select) {
        const int n = p.number;
        p = Pending{};
        if (n >= 1 && n <= g.problemCount) navigate(g, Navigation::Select, n);
        return;
    }
    if (p.kind == Pending::None) return;
    storeProblem(g.currentProblem);
    activate(p);
    g.currentProblem = readStoredProblem();
    navigate(g, Navigation::Play);
}

// Follows the user through the messages the main window gets.
void observe(const MSG& m)
{
    GameContext& g = theGame();
    if (m.hwnd != g.mainWindow) return;
    HostState& s = S();
    switch (m.message) {
    case kHostMessage:
        runPending();
        return;
    case kNotifyProblemStarted:
        if (g.currentProblem != s.attemptProblem) {
            s.attemptProblem = g.currentProblem;
            s.clean = true;
            if (s.keeper) s.keeper->statusChanged();
        }
        return;
    case kNotifySolved:
        record(g.currentProblem, true);
        return;
    case kNotifyFailed:
        record(g.currentProblem, false);
        s.clean = false;
        return;
    case WM_RBUTTONUP:
        s.clean = false;
        return;
    case WM_COMMAND:
        switch (LOWORD(m.wParam)) {
        case kCmdBack:
        case kCmdMode:
            s.clean = false;
            break;
        case kCmdPlay:
            if (g.problemLoaded) s.clean = false;
            break;
        case kCmdRightSoftKey:
            if (rightKeyMode == 0) s.clean = false;  // the key shows a hint
            break;
        default:
            break;
        }
        return;
    default:
        return;
    }
}

void post(Pending p)
{
    S().pending = std::move(p);
    if (!S().started) return;  // startHost() makes the switch
    GameContext& g = theGame();
    if (g.mainWindow)
        PostMessageW(g.mainWindow, kHostMessage, 0, 0);
    else if (S().pending.kind != Pending::Select)
        activate(S().pending);
}

}  // namespace

void setCollectionKeeper(CollectionKeeper* keeper) { S().keeper = keeper; }

void useCollectionAtStart(Collection c, std::vector<Outcome> outcomes)
{
    Pending& p = S().pending;
    p.kind = Pending::Switch;
    p.collection = std::move(c);
    p.outcomes = std::move(outcomes);
}

void startHost()
{
    setDispatchObserver(observe);
    S().started = true;
    if (S().pending.kind == Pending::Switch || S().pending.kind == Pending::BuiltIn) activate(S().pending);
}

void switchToCollection(Collection c, std::vector<Outcome> outcomes)
{
    Pending p;
    p.kind = Pending::Switch;
    p.collection = std::move(c);
    p.outcomes = std::move(outcomes);
    post(std::move(p));
}

void switchToBuiltIn()
{
    Pending p;
    p.kind = Pending::BuiltIn;
    post(std::move(p));
}

void selectProblem(int number)
{
    Pending p;
    p.kind = Pending::Select;
    p.number = number;
    post(std::move(p));
}

const Collection* activeCollection() { return S().active.inUse ? &S().active.collection : nullptr; }
const std::vector<Outcome>& activeOutcomes() { return S().active.outcomes; }

std::string hostStatusLine()
{
    const Active& a = S().active;
    if (!a.inUse) return "";
    return progressLine(a.collection, a.outcomes, theGame().currentProblem);
}

std::wstring collectionRegistryKey(const std::string& id)
{
    std::wstring key = kCollectionsKey;
    key += L'\\';
    for (char c : id) key += wchar_t(static_cast<unsigned char>(c));
    return key;
}

std::string readLastCollection()
{
    HKEY key = nullptr;
    std::string id;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, reinterpret_cast<const WCHAR*>(kCollectionsKey), 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return id;
    WCHAR text[128] = {};
    DWORD size = sizeof text - sizeof(WCHAR), type = REG_NONE;
    if (RegQueryValueExW(key, L"Last", nullptr, &type, reinterpret_cast<BYTE*>(text), &size) == ERROR_SUCCESS &&
        type == REG_SZ)
        for (size_t i = 0; i < size / sizeof(WCHAR) && text[i]; ++i)
            if (text[i] < 128) id += char(text[i]);
    RegCloseKey(key);
    return id;
}

void writeLastCollection(const std::string& id)
{
    HKEY key = nullptr;
    DWORD disposition = 0;
    WCHAR noClass[] = L"";
    if (RegCreateKeyExW(HKEY_CURRENT_USER, reinterpret_cast<const WCHAR*>(kCollectionsKey), 0, noClass,
                        REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, &disposition) != ERROR_SUCCESS)
        return;
    std::basic_string<WCHAR> text;
    for (char c : id) text += WCHAR(static_cast<unsigned char>(c));
    RegSetValueExW(key, L"Last", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   DWORD((text.size() + 1) * sizeof(WCHAR)));
    RegCloseKey(key);
}
