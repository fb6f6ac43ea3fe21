#pragma once
// File-system operations on a handle the caller has opened and checked, so that what it checked is
// what it changes: a name swapped for a link after the check cannot redirect the change. Names are
// single components (no separators), opened and renamed relative to their folder's handle.
#include "platform/Handles.h"

#include <windows.h>

#include <cstdint>
#include <string>

enum class OpenAs { File, Folder };

// Opens `name` inside the folder that `folder` names, never through a full path. The name itself
// is opened as itself where the system honours FILE_OPEN_REPARSE_POINT (Wine follows links even
// then), so callers check the handle they get. Invalid when the open fails.
[[nodiscard]] FileHandle OpenInFolder(HANDLE folder, const std::wstring& name, ACCESS_MASK access, ULONG share,
                                      OpenAs kind);

// The name the system gives an opened file or folder, UTF-8, without the "\\?\" prefix ("\\?\UNC\"
// becomes "\\"). Empty on failure and for a name that has no UTF-8 form.
[[nodiscard]] std::string FinalPathOf(HANDLE handle);

// The full form of a path as the system completes it ("." and ".." gone, made absolute), in the
// same plain UTF-8 form; nothing is opened, so links are not followed.
[[nodiscard]] std::string FullPathName(const std::string& path);

// Gives the opened file (opened with DELETE) the name `name` inside `folder`, never replacing a
// file that has that name.
[[nodiscard]] bool RenameInFolder(HANDLE file, HANDLE folder, const std::wstring& name);

// Marks the opened file or empty folder (opened with DELETE) for deletion; it goes when its last
// handle closes. False for a folder that still holds anything.
[[nodiscard]] bool MarkForDeletion(HANDLE handle);

// The file system's id of an opened file (the index number a folder listing gives as FileId).
[[nodiscard]] bool FileIdOf(HANDLE handle, uint64_t& id);

// Clears or sets attribute bits of an opened file (opened with FILE_WRITE_ATTRIBUTES).
[[nodiscard]] bool SetAttributesOf(HANDLE handle, uint32_t attributes);

// Whether two UTF-8 paths name the same place, compared as the file system compares names
// (ordinal, case ignored).
[[nodiscard]] bool SamePath(const std::string& a, const std::string& b);
