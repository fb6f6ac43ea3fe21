// The machine policy's decisions, and the administrative template against the names the program
// reads: a value the template writes that the program never reads would be a lock that locks
// nothing, and a value the program reads that the template lacks could not be set.
#include "targets/MachinePolicy.h"

#include "support/FileBytes.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

namespace {

std::set<std::string> Captures(const std::string& text, const char* pattern) {
    std::set<std::string> found;
    const std::regex re(pattern);
    for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator(); ++it)
        found.insert((*it)[1].str());
    return found;
}

TEST(PolicyTemplate, NamesEveryValueAndKeyTheProgramReadsAndNoOther) {
    const std::string admx = FileBytes(std::string(TL_SOURCE_DIR) + "/data/policy/Tracelorn.admx");
    const std::string adml = FileBytes(std::string(TL_SOURCE_DIR) + "/data/policy/en-US/Tracelorn.adml");
    ASSERT_FALSE(admx.empty());
    ASSERT_FALSE(adml.empty());
    std::set<std::string> read;
    for (const char* name : policy_names::ValueNames()) read.insert(name);
    EXPECT_EQ(Captures(admx, "valueName=\"([^\"]*)\""), read);

    const std::string root = policy_names::kKeyPath;
    const std::set<std::string> keys = {root, root + "\\" + policy_names::kTargetsKey,
                                        root + "\\" + policy_names::kCookiesToKeepKey,
                                        root + "\\" + policy_names::kExcludesKey};
    EXPECT_EQ(Captures(admx, " key=\"([^\"]*)\""), keys);
    EXPECT_NE(admx.find("schemaVersion=\"1.0\""), std::string::npos);

    // Every text and presentation the template refers to is in the English resources.
    for (const std::string& id : Captures(admx, "\\$\\(string\\.([A-Za-z0-9_]+)\\)"))
        EXPECT_NE(adml.find("<string id=\"" + id + "\">"), std::string::npos) << id;
    for (const std::string& id : Captures(admx, "\\$\\(presentation\\.([A-Za-z0-9_]+)\\)"))
        EXPECT_NE(adml.find("<presentation id=\"" + id + "\">"), std::string::npos) << id;
}

TEST(MachinePolicy, MachineWinsValueByValueAndBoundsAreKept) {
    PolicyKeyValues machine, user;
    machine.numbers = {{"secdel", 1}, {"DelRep", 12}};
    machine.targets = {{"Recycle Bin", 0}, {"Odd", 7}};
    user.numbers = {{"SecDel", 0}, {"AKEveryTimeTime", 0xFFFFFFFFu}, {"AutoStart", 0}, {"SkipOverwriteSolidState", 0}};
    user.texts = {{"UpdateURL", "http://127.0.0.1:8000/tracelorn/2/"}};
    user.targets = {{"RECYCLE BIN", 1}, {"Firefox Cookies", 1}};
    machine.excludes = {"PATH|C:\\Keep", "not an exclude"};
    user.excludes = {"path|c:\\keep\\", "REG|HKCU\\Software\\Keep"};
    const MachinePolicy p = MachinePolicy::Merge(MachinePolicy::FromValues(machine), MachinePolicy::FromValues(user));
    EXPECT_EQ(p.secDel, true) << "the machine's value, found without regard to case";
    EXPECT_EQ(p.delRep, 9);
    EXPECT_EQ(p.akEveryTimeTime, 0) << "read as signed, clamped";
    EXPECT_EQ(p.autoStart, false) << "the user's where the machine sets nothing";
    EXPECT_EQ(p.updateUrl, std::string("http://127.0.0.1:8000/tracelorn/2/"));
    EXPECT_FALSE(p.akWinStart.has_value());
    EXPECT_EQ(p.skipOverwriteSolidState, false);
    EXPECT_EQ(p.excludes.size(), 2u) << "excludes add up, each once; a text of another form is ignored";
    EXPECT_EQ(p.ForcedTarget("recycle bin"), false);
    EXPECT_EQ(p.ForcedTarget("Firefox Cookies"), true);
    EXPECT_FALSE(p.ForcedTarget("Odd").has_value()) << "only 0 and 1 force a target";

    // Forced SecDel with 9 passes: no run below 9, none without overwriting.
    EXPECT_FALSE(p.AllowsPasses(0));
    EXPECT_FALSE(p.AllowsPasses(8));
    EXPECT_TRUE(p.AllowsPasses(9));
    MachinePolicy none;
    EXPECT_TRUE(none.AllowsPasses(0));
    EXPECT_FALSE(none.AllowsPasses(10));
}

}  // namespace
