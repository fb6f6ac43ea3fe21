#pragma once
// The batch file the uninstaller's temporary copy leaves behind to delete itself once it has ended:
// a bounded number of tries a second apart (the copy cannot be deleted while it runs), then the
// batch deletes itself.
#include <string>
#include <vector>

namespace setup {

constexpr int kSelfDeleteTries = 30;

// Every "%" of the paths is doubled, so a path cannot name a batch variable.
std::u16string SelfDeleteBatchText(const std::u16string& program, const std::u16string& batch);

// The same for several files (the copy and the stored uninstaller that waited for it), followed
// by removing `folders` in order, each only when it is empty.
std::u16string SelfDeleteBatchText(const std::vector<std::u16string>& files, const std::vector<std::u16string>& folders,
                                   const std::u16string& batch);

}  // namespace setup
