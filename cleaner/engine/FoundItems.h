#pragma once
#include <cstdint>
#include <string>

// One thing a Scan found or a Kill removed, named as the user would look for it: a file, a
// registry value or key, the rows of one database table, or a special store (the recycle bin, an
// event log) as one line.
struct FoundItem {
    enum class Kind : uint8_t { File, RegistryValue, RegistryKey, Rows, Store };
    Kind kind = Kind::File;
    // File: its folder. RegistryValue: its key. RegistryKey: the key itself. Rows: the database
    // file. Store: the store's name.
    std::string place;
    // File: its name. RegistryValue: the value's name (empty for the default value). Rows: the
    // table. RegistryKey and Store: empty.
    std::string name;
    // File: bytes. Rows: rows. RegistryKey: values and subkeys below it. Store: items. Otherwise 0.
    uint64_t size = 0;
    // Last write time as a FILETIME (100 ns since 1601, UTC); 0 when not known.
    uint64_t lastWrite = 0;
};

// Receives what a run finds or removes while a FoundItemsScope is open. Walks test their files on
// worker threads, so Add is called from several threads at once: implementations lock.
class FoundItems {
public:
    virtual ~FoundItems() = default;
    virtual void Add(const FoundItem& item) = 0;
};

// Opens the collection of items for the entries run on this thread (a target opens it around its
// entries when someone asked for details). Nothing is collected, and nothing costs more than a
// pointer test, while no scope is open. Walks that hand files to worker threads take the open
// sink with them.
class FoundItemsScope {
public:
    explicit FoundItemsScope(FoundItems* sink);
    ~FoundItemsScope();
    FoundItemsScope(const FoundItemsScope&) = delete;
    FoundItemsScope& operator=(const FoundItemsScope&) = delete;

private:
    FoundItemsScope* outer_;
    FoundItems* sink_;
    friend FoundItems* CurrentFoundItems();
};

// The sink of the innermost open scope on this thread; null when none is open (or it was opened
// with null).
[[nodiscard]] FoundItems* CurrentFoundItems();

// Hands item to the current sink, if any.
void ReportFound(const FoundItem& item);
