#include "targets/DriveTargets.h"

#include "engine/FileEntry.h"

RecycleBinTarget::RecycleBinTarget(DriveList& drives, std::shared_ptr<RecycleBinShell> shell,
                                   const std::string& userSid,
                                   const std::function<bool(const std::string&)>& isFolder)
    : Target("Recycle Bin", "Kills all Files and Folders in Recycle bin") {
    SetSelected(true);
    for (const std::string& root : FixedDriveRoots(drives)) {
        AddEntry(std::make_unique<RecycleFolderEntry>(root, ChooseRecycleFolder(root, isFolder, IsMarkedRecycleFolder), userSid, shell));
    }
}

ChkFilesTarget::ChkFilesTarget(DriveList& drives)
    : Target("Scandisk File Fragments (*.CHK)", "Kills .CHK files at the root directory of drives") {
    SetSelected(true);
    for (const std::string& root : FixedDriveRoots(drives)) {
        AddEntry(FileEntry::DriveRootFragments(root, "*.CHK"));
    }
}
