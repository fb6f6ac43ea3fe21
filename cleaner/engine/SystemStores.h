#pragma once
#include "engine/RemEntry.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// The system stores the built-in targets clean, each reached through a small interface: the
// production implementation is the Win32 one; tests give the entries the state they need.

// The AutoComplete items of the current user's protected store (item type and subtype
// {E161255A-37C3-11D2-BCAA-00C04FD929DB}).
class ProtectedStoreItems {
public:
    virtual ~ProtectedStoreItems() = default;
    // False when the store cannot be reached (library missing, store not created).
    [[nodiscard]] virtual bool Open() = 0;
    // Names of up to `most` items from the start of a new enumeration; false when no enumerator
    // came back.
    [[nodiscard]] virtual bool Enumerate(uint32_t most, std::vector<std::wstring>& names) = 0;
    [[nodiscard]] virtual bool Delete(const std::wstring& name) = 0;
    virtual void Close() = 0;
};

class EventLogs {
public:
    virtual ~EventLogs() = default;
    // The number of records of a log on the local machine; false when it cannot be opened or read.
    [[nodiscard]] virtual bool RecordCount(const std::string& log, uint32_t& count) = 0;
    // Clears a log without a backup; false when it cannot be opened or the clearing was refused.
    [[nodiscard]] virtual bool Clear(const std::string& log) = 0;
};

class PageFileSetting {
public:
    virtual ~PageFileSetting() = default;
    // Asks the system to clear the page file at shutdown; false when the write was refused.
    [[nodiscard]] virtual bool RequestClearAtShutdown() = 0;
};

// The protected-store AutoComplete data: Scan reports half of the stored items (the store keeps
// two items per saved form field), Kill deletes them in rounds of 128.
class PStoreAutoCompleteEntry : public RemEntry {
public:
    static constexpr uint32_t kRound = 128;
    explicit PStoreAutoCompleteEntry(std::shared_ptr<ProtectedStoreItems> store)
        : RemEntry(RemKind::Special), store_(std::move(store)) {}
    void Scan() override;
    // Counts only deletions that succeeded and ends when a round deleted nothing, so items that
    // cannot be deleted do not repeat the round forever.
    void Kill() override;

private:
    std::shared_ptr<ProtectedStoreItems> store_;
};

class EventLogEntry : public RemEntry {
public:
    EventLogEntry(std::shared_ptr<EventLogs> logs, std::string log)
        : RemEntry(RemKind::Special), logs_(std::move(logs)), log_(std::move(log)) {}
    const std::string& LogName() const { return log_; }
    void Scan() override;
    // Reports the records only when the log was cleared: a refused clearing removed nothing.
    void Kill() override;

private:
    std::shared_ptr<EventLogs> logs_;
    std::string log_;
};

class PageFileEntry : public RemEntry {
public:
    explicit PageFileEntry(std::shared_ptr<PageFileSetting> setting)
        : RemEntry(RemKind::Special), setting_(std::move(setting)) {}
    void Scan() override;
    // Reports the file only when the setting was written.
    void Kill() override;

private:
    std::shared_ptr<PageFileSetting> setting_;
};
