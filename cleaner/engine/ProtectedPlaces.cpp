#include "engine/ProtectedPlaces.h"

namespace {

// The special folders no walk may start at or above (their own contents are not traces).
const int kSystemFolders[] = {
    0x24 /*Windows*/,         0x25 /*System32*/,     0x29 /*SysWOW64*/,       0x26 /*Program Files*/,
    0x2a /*Program Files x86*/, 0x2b /*Common Files*/, 0x2c /*Common x86*/,   0x23 /*ProgramData*/,
    0x28 /*profile*/,         0x1a /*AppData*/,      0x1c /*Local AppData*/,  0x05 /*Documents*/,
    0x10 /*Desktop*/,         0x27 /*Pictures*/,     0x0d /*Music*/,          0x0e /*Videos*/,
    0x06 /*Favorites*/,       0x0b /*Start menu*/,   0x02 /*Programs*/,       0x07 /*Startup*/,
    0x2e /*Public Documents*/, 0x19 /*Public Desktop*/, 0x16 /*common Start menu*/, 0x17 /*common Programs*/,
    0x1f /*common Favorites*/, 0x36 /*Public Pictures*/, 0x35 /*Public Music*/, 0x37 /*Public Videos*/,
    0x15 /*Templates*/,       0x09 /*SendTo*/,       0x14 /*Fonts*/};

constexpr int kProfile = 0x28, kAppData = 0x1a, kLocalAppData = 0x1c, kCommonAppData = 0x23;

std::string Special(const PlaceLayout& layout, int csidl) {
    const auto it = layout.special.find(csidl);
    return it == layout.special.end() ? std::string() : it->second;
}

std::string ParentOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

class SetBuilder {
public:
    explicit SetBuilder(PlaceForms forms) : forms_(forms) {}

    void System(const std::string& folder) { Each(folder, [this](const std::string& f) { system_.push_back(f); }); }
    void Container(const std::string& folder) {
        Each(folder, [this](const std::string& f) { containers_.push_back(f); });
    }
    void Profile(const std::string& folder) { Each(folder, [this](const std::string& f) { profiles_.push_back(f); }); }
    void Place(const std::string& folder, PlaceKind kind, const std::string& label) {
        Each(folder, [&](const std::string& f) { places_.push_back(ProtectedPlace{f, kind, label}); });
    }
    WalkRootGuard Build() {
        return WalkRootGuard(std::move(system_), std::move(containers_), std::move(places_), std::move(profiles_));
    }

private:
    template <typename Add>
    void Each(const std::string& folder, Add add) {
        if (folder.empty()) return;
        add(folder);
        if (forms_)
            for (const std::string& other : forms_(folder)) add(other);
    }
    PlaceForms forms_;
    std::vector<std::string> system_, containers_, profiles_;
    std::vector<ProtectedPlace> places_;
};

}  // namespace

WalkRootGuard BuildProtectedSet(const PlaceLayout& layout, PlaceForms forms) {
    SetBuilder set(forms);
    for (int csidl : kSystemFolders) set.System(Special(layout, csidl));
    const std::string profile = Special(layout, kProfile);
    const std::string roaming = Special(layout, kAppData);
    const std::string local = Special(layout, kLocalAppData);
    if (!profile.empty()) set.System(profile + "\\Downloads");
    if (!local.empty()) set.System(ParentOf(local) + "\\LocalLow");
    set.Container(ParentOf(profile));
    set.Container(layout.profilesDirectory);
    set.Profile(profile);

    // Keys, certificates and saved credentials: losing them makes every secret they guard unreadable.
    const char* const keyLabel = "the keys, certificates and saved credentials of Windows";
    for (const std::string& data : {roaming, local}) {
        if (data.empty()) continue;
        for (const char* sub : {"Protect", "Crypto", "Credentials", "Vault", "SystemCertificates"})
            set.Place(data + "\\Microsoft\\" + sub, PlaceKind::KeyMaterial, keyLabel);
    }
    const std::string common = Special(layout, kCommonAppData);
    if (!common.empty()) {
        set.Place(common + "\\Microsoft\\Crypto", PlaceKind::KeyMaterial, keyLabel);
        set.Place(common + "\\Microsoft\\Vault", PlaceKind::KeyMaterial, keyLabel);
    }

    for (const auto& library : layout.libraries) set.Place(library.first, PlaceKind::UserFiles, library.second);
    if (!profile.empty()) {
        set.Place(profile + "\\.ssh", PlaceKind::UserFiles, "your SSH keys");
        set.Place(profile + "\\.gnupg", PlaceKind::UserFiles, "your GnuPG keys");
        const char* const syncLabel = "a sync folder, whose deletions reach the cloud copy";
        for (const char* sync : {"OneDrive", "Dropbox", "Google Drive", "My Drive", "iCloudDrive", "iCloud Drive"})
            set.Place(profile + "\\" + sync, PlaceKind::UserFiles, syncLabel);
    }
    for (const std::string& sync : layout.syncFolders)
        set.Place(sync, PlaceKind::UserFiles, "your OneDrive folder, whose deletions reach the cloud copy");
    for (const std::string& data : {roaming, local})
        if (!data.empty()) set.Place(data + "\\Microsoft\\Outlook", PlaceKind::UserFiles, "Outlook's mail");
    for (const std::string& mail : layout.mailProfiles) {
        set.Place(mail + "\\Mail", PlaceKind::UserFiles, "Thunderbird's mail");
        set.Place(mail + "\\ImapMail", PlaceKind::UserFiles, "Thunderbird's mail");
    }
    return set.Build();
}

const PlaceLayout& StandardLayout() {
    static const PlaceLayout layout = [] {
        PlaceLayout l;
        const std::string profile = "C:\\Users\\User";
        const std::string roaming = profile + "\\AppData\\Roaming", local = profile + "\\AppData\\Local";
        const std::string menu = roaming + "\\Microsoft\\Windows\\Start Menu";
        l.special = {{0x24, "C:\\Windows"}, {0x25, "C:\\Windows\\System32"}, {0x29, "C:\\Windows\\SysWOW64"},
                     {0x14, "C:\\Windows\\Fonts"}, {0x26, "C:\\Program Files"},
                     {0x2a, "C:\\Program Files (x86)"}, {0x2b, "C:\\Program Files\\Common Files"},
                     {0x2c, "C:\\Program Files (x86)\\Common Files"}, {0x23, "C:\\ProgramData"},
                     {0x28, profile}, {0x1a, roaming}, {0x1c, local}, {0x05, profile + "\\Documents"},
                     {0x00, profile + "\\Desktop"}, {0x10, profile + "\\Desktop"}, {0x27, profile + "\\Pictures"},
                     {0x0d, profile + "\\Music"}, {0x0e, profile + "\\Videos"}, {0x06, profile + "\\Favorites"},
                     {0x0b, menu}, {0x02, menu + "\\Programs"}, {0x07, menu + "\\Programs\\Startup"},
                     {0x15, roaming + "\\Microsoft\\Windows\\Templates"}, {0x09, roaming + "\\Microsoft\\Windows\\SendTo"},
                     {0x08, roaming + "\\Microsoft\\Windows\\Recent"}, {0x20, local + "\\Microsoft\\Windows\\INetCache"},
                     {0x21, local + "\\Microsoft\\Windows\\INetCookies"}, {0x22, local + "\\Microsoft\\Windows\\History"},
                     {0x2e, "C:\\Users\\Public\\Documents"}, {0x19, "C:\\Users\\Public\\Desktop"},
                     {0x36, "C:\\Users\\Public\\Pictures"}, {0x35, "C:\\Users\\Public\\Music"},
                     {0x37, "C:\\Users\\Public\\Videos"}, {0x16, "C:\\ProgramData\\Microsoft\\Windows\\Start Menu"},
                     {0x17, "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs"},
                     {0x1f, "C:\\Users\\User\\Favorites"}, {0x2d, "C:\\ProgramData\\Microsoft\\Windows\\Templates"}};
        l.libraries = {{profile + "\\Documents", "your Documents folder"}, {profile + "\\Desktop", "your Desktop"},
                       {profile + "\\Pictures", "your Pictures folder"}, {profile + "\\Music", "your Music folder"},
                       {profile + "\\Videos", "your Videos folder"}, {profile + "\\Downloads", "your Downloads folder"},
                       {"C:\\Users\\Public\\Documents", "the Documents every user of this computer shares"},
                       {"C:\\Users\\Public\\Desktop", "the Desktop every user of this computer shares"},
                       {"C:\\Users\\Public\\Pictures", "the Pictures every user of this computer shares"},
                       {"C:\\Users\\Public\\Music", "the Music every user of this computer shares"},
                       {"C:\\Users\\Public\\Videos", "the Videos every user of this computer shares"},
                       {"C:\\Users\\Public\\Downloads", "the Downloads every user of this computer shares"}};
        l.profilesDirectory = "C:\\Users";
        l.mailProfiles = {roaming + "\\Thunderbird\\Profiles\\default"};
        return l;
    }();
    return layout;
}
