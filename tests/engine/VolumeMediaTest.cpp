#include "engine/Checkpoint.h"
#include "engine/FileEntry.h"
#include "engine/KillSettings.h"
#include "engine/VolumeMedia.h"
#include "support/TempFolder.h"
#include "targets/Target.h"

#include <gtest/gtest.h>

namespace {

// Answers every volume as one device kind, and counts the questions.
class FakeVolumes : public VolumeMediaQuery {
public:
    explicit FakeVolumes(VolumeFacts facts) : facts_(facts) {}
    VolumeFacts FactsOf(const std::string&) override {
        ++asked;
        return facts_;
    }
    int asked = 0;

private:
    VolumeFacts facts_;
};

// Kills three files in two folders with the given volumes, option and security; whether the
// target reports skipped overwrites, and that every file is gone either way.
bool KillSkipsOverwrite(FakeVolumes& volumes, bool skipOption, bool secure) {
    ClearStop();
    kill_settings::SetSecureDelete(secure);
    kill_settings::SetPasses(1);
    kill_settings::SetSkipOverwriteOnSolidState(skipOption);
    volume_media::SetQuery(&volumes);
    TempFolder dir;
    dir.MakeFile("t\\a.tmp", 5000);
    dir.MakeFile("t\\b.tmp", 7000);
    dir.MakeFile("t\\sub\\c.tmp", 100);
    Target target("Temp", "");
    target.AddEntry(std::make_unique<FileEntry>(FileEntry::FolderRecord(RemKind::FolderFiles, 0, dir / "t", "", true)));
    target.Kill();
    volume_media::SetQuery(nullptr);
    kill_settings::SetSkipOverwriteOnSolidState(false);
    kill_settings::SetSecureDelete(true);
    EXPECT_EQ(target.Counters(), (RunCounters{3, 0, 12100}));
    EXPECT_FALSE(FileExists(dir / "t\\a.tmp"));
    return target.OverwriteSkipped();
}

}  // namespace

TEST(VolumeMedia, ASecureKillSkipsTheOverwriteOnlyOnSolidStateWithTheOptionOn) {
    FakeVolumes solid(VolumeFacts{false, true});
    EXPECT_TRUE(KillSkipsOverwrite(solid, true, true));
    EXPECT_EQ(solid.asked, 2) << "asked once per folder, not per file";
    EXPECT_FALSE(KillSkipsOverwrite(solid, false, true)) << "option off: overwritten as before";
    EXPECT_FALSE(KillSkipsOverwrite(solid, true, false)) << "no secure delete: nothing to skip";

    FakeVolumes rotating(VolumeFacts{true, false});
    EXPECT_FALSE(KillSkipsOverwrite(rotating, true, true));
    FakeVolumes unknown(VolumeFacts{});  // what Wine answers
    EXPECT_FALSE(KillSkipsOverwrite(unknown, true, true));
    FakeVolumes trimOnly(VolumeFacts{std::nullopt, true});
    EXPECT_TRUE(KillSkipsOverwrite(trimOnly, true, true));
}
