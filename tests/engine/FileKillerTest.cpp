#include "engine/FileKiller.h"
#include "engine/KillSettings.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

TEST(KillFileSmoke, RemovesAFileWithSecureDelete) {
    TempFolder dir;
    kill_settings::SetSecureDelete(true);
    kill_settings::SetPasses(1);
    const std::string f = dir.MakeFile("a.txt", 1300);
    EXPECT_TRUE(KillFile(f));
    EXPECT_FALSE(FileExists(f));
    EXPECT_TRUE(ListFolder(dir.Path()).empty());
}
