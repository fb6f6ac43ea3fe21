#pragma once
// The one rule that decides whether a stored entry may become a working one, for every source the
// entry can come from. The sources differ in one point only: the user's own custom targets may
// name a single file among the user's own files (anything but the key material), and may walk a
// folder there once the user has confirmed it in the editor; nothing else ever may. Everything
// else holds for all: a kind of 1 to 6 with a predefined registry root, no registry entry that
// empties a structural or shallow key (RegistryRules), no relative, network, device or stream
// path, no walk at or above a protected folder, nothing in the key material.
#include "engine/EntryRecord.h"
#include "engine/RemEntry.h"
#include "engine/WalkRootGuard.h"

#include <string>

enum class EntrySource : unsigned char {
    BuiltIn,         // made by the program itself
    ShippedPlugin,   // the plug-in library as shipped; the library check holds it to this rule
    UpdatedPlugin,   // anything in the plug-in folders, which the update client may have replaced
    ImportedTarget,  // read from another cleaner's target file
    CustomTarget,    // the user's own, made in the editor
};

struct EntryVerdict {
    bool allowed = false;
    // Allowed because it is the user's own target reaching the user's own files: the engine lets
    // exactly this file, or this folder and what lies below it, through (UserFilesPermit).
    bool reachesUserFiles = false;
    // Refused only because the user has not confirmed the walk; the editor asks.
    bool needsConfirmation = false;
    const char* reason = "";  // short, for a list of refusals; empty when allowed
    std::string place;        // the protected place involved, in plain words
    std::string path;         // the path judged, as the machine resolves it (may be empty)
};

// What the rule asks of the machine the entry will run on.
class EntryPlaces {
public:
    virtual ~EntryPlaces() = default;
    // The full path a file kind works on, resolved as far as it exists (links followed); empty when
    // it cannot be told now (a missing special folder or registry value), and it is then judged
    // again when it runs.
    virtual std::string ResolvedPath(const EntryRecord& record) const = 0;
    virtual const WalkRootGuard& Guard() const = 0;
    virtual bool IsNetworkDrive(char driveLetter) const = 0;
};

[[nodiscard]] EntryVerdict JudgeEntry(const EntryRecord& record, EntrySource source, const EntryPlaces& places);

// A standard installation (StandardLayout), for judging without the machine.
[[nodiscard]] const EntryPlaces& StandardPlaces();

// The syntax of a stored path alone: a network path ("\\server\share"), a device or long-path
// prefix ("\\?\", "\\.\") or a ':' after the drive (a stream or a device) is refused with its
// reason; nullptr otherwise.
[[nodiscard]] const char* StoredPathRefusal(const std::string& path);

// A user's own entry that the rule refuses now: it is kept with its target, so that saving the
// custom targets writes it back unchanged and the editor can show it again, but it finds and
// removes nothing.
class RefusedEntry : public RemEntry {
public:
    RefusedEntry(EntryRecord record, const char* reason)
        : RemEntry(record.Kind()), record_(std::move(record)), reason_(reason) {}
    void Scan() override { MarkScanned(); }
    void Kill() override { MarkKilled(); }
    const EntryRecord* Record() const override { return &record_; }
    const char* Reason() const { return reason_; }

private:
    EntryRecord record_;
    const char* reason_;
};
