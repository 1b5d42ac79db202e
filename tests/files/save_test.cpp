// Saving: atomic replacement, failures that leave the old file alone, the data-set name.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <limits>

#include "files_support.hpp"
#include "model/dimensions.hpp"

namespace mv::files::testing {
namespace {

class Saving : public ScratchDir {
protected:
    // An existing file whose bytes must survive a failed save.
    std::vector<std::uint8_t> MakeOldFile(const std::string& name) {
        Model old;
        StartUp(old);
        StoreDimension(old, 1, 6.5f);
        std::string err;
        EXPECT_TRUE(SaveDst(old, Path(name), err)) << err;
        return ReadBytes(Path(name));
    }
    Model Changed() {
        Model m;
        StartUp(m);
        StoreDimension(m, 1, 9.0f);
        m.dataSetName = "before";
        return m;
    }
};

TEST_F(Saving, ReplacingAFileLeavesOnlyTheNewFile) {
    const auto old = MakeOldFile("gear.dst");
    ::chmod(Path("gear.dst").c_str(), 0640);
    Model m = Changed();
    std::string err;
    ASSERT_TRUE(SaveDst(m, Path("gear.dst"), err)) << err;
    EXPECT_NE(ReadBytes(Path("gear.dst")), old);
    EXPECT_EQ(ReadBytes(Path("gear.dst")), WriteDstBytes(m));
    EXPECT_EQ(Entries(), std::vector<std::string>{"gear.dst"});
    struct stat st {};
    ASSERT_EQ(::stat(Path("gear.dst").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u) << "a replaced file keeps its permissions";
}

TEST_F(Saving, ThroughASymbolicLinkTheLinkSurvives) {
    MakeOldFile("real.dst");
    ASSERT_EQ(::symlink("real.dst", Path("link.dst").c_str()), 0);
    Model m = Changed();
    std::string err;
    ASSERT_TRUE(SaveDst(m, Path("link.dst"), err)) << err;
    struct stat st {};
    ASSERT_EQ(::lstat(Path("link.dst").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ReadBytes(Path("real.dst")), WriteDstBytes(m));
}

TEST_F(Saving, TargetsThatCannotBeWrittenFailWithAMessage) {
    WriteText(Path("plain"), "not a folder");
    std::filesystem::create_directory(Path("folder.dst"));
    const std::vector<std::pair<std::string, std::string>> cases = {
        {Path("plain/gear.dst"), "Not a directory"},
        {Path("nowhere/gear.dst"), "No such file or directory"},
        {Path("folder.dst"), "folder"},
        {"/dev/null", "not a regular file"},
        {Path(""), "no file name"},
    };
    for (const auto& [path, reason] : cases) {
        SCOPED_TRACE(path);
        Model m = Changed();
        std::string err;
        EXPECT_FALSE(SaveDst(m, path, err));
        EXPECT_EQ(err.rfind(path + ": cannot save: ", 0), 0u) << err;
        EXPECT_NE(err.find(reason), std::string::npos) << err;
        EXPECT_EQ(m.dataSetName, "before") << "a failed save does not rename the data set";
    }
    EXPECT_TRUE(std::filesystem::is_directory(Path("folder.dst")));
    EXPECT_TRUE(std::filesystem::is_empty(Path("folder.dst")));
}

// A write that fails half way (as on a full disk): the file-size limit stops the temporary
// file at 1000 bytes, which holds for root as well.
TEST_F(Saving, AWriteThatFailsHalfWayLeavesTheOldFileAsItWas) {
    const auto old = MakeOldFile("gear.dst");
    const auto oldMvo = [&] {
        Model o;
        StartUp(o);
        std::string err;
        EXPECT_TRUE(SaveMvo(o, Path("gear.mvo"), err)) << err;
        return ReadBytes(Path("gear.mvo"));
    }();
    Model m = Changed();
    std::string errDst, errMvo;
    bool savedDst = true, savedMvo = true;
    {
        const auto previous = ::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        rlimit small = saved;
        small.rlim_cur = 1000;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
        savedDst = SaveDst(m, Path("gear.dst"), errDst);
        savedMvo = SaveMvo(m, Path("gear.mvo"), errMvo);
        ::setrlimit(RLIMIT_FSIZE, &saved);
        ::signal(SIGXFSZ, previous);
    }
    EXPECT_FALSE(savedDst);
    EXPECT_FALSE(savedMvo);
    EXPECT_EQ(errDst.rfind(Path("gear.dst") + ": cannot save: ", 0), 0u) << errDst;
    EXPECT_EQ(errMvo.rfind(Path("gear.mvo") + ": cannot save: ", 0), 0u) << errMvo;
    EXPECT_EQ(ReadBytes(Path("gear.dst")), old);
    EXPECT_EQ(ReadBytes(Path("gear.mvo")), oldMvo);
    EXPECT_EQ(m.dataSetName, "before");
    auto names = Entries();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"gear.dst", "gear.mvo"})) << "no temporary left";
}

TEST_F(Saving, AReadOnlyFolderRefusesTheSaveAndKeepsTheOldFile) {
    const auto old = MakeOldFile("gear.dst");
    ASSERT_EQ(::chmod(dir_.c_str(), 0555), 0);
    // Root writes into read-only folders all the same; nothing to see there.
    if (::access(dir_.c_str(), W_OK) == 0) {
        ::chmod(dir_.c_str(), 0755);
        GTEST_SKIP() << "running with rights that ignore folder permissions";
    }
    Model m = Changed();
    std::string err;
    EXPECT_FALSE(SaveDst(m, Path("gear.dst"), err));
    EXPECT_NE(err.find("Permission denied"), std::string::npos) << err;
    ::chmod(dir_.c_str(), 0755);
    EXPECT_EQ(ReadBytes(Path("gear.dst")), old);
}

TEST_F(Saving, AWorkingSetThatCouldNotBeOpenedAgainIsNotWritten) {
    const auto old = MakeOldFile("gear.dst");
    Model m = Changed();
    m.view.scale = std::numeric_limits<float>::infinity();
    std::string err;
    EXPECT_FALSE(SaveDst(m, Path("gear.dst"), err));
    EXPECT_NE(err.find("view scale"), std::string::npos) << err;
    EXPECT_EQ(ReadBytes(Path("gear.dst")), old);

    Model t = Changed();
    t.frame.stroke = std::numeric_limits<float>::quiet_NaN();
    EXPECT_FALSE(SaveMvo(t, Path("gear.mvo"), err));
    EXPECT_NE(err.find("Stroke"), std::string::npos) << err;
    EXPECT_FALSE(std::filesystem::exists(Path("gear.mvo")));
}

TEST_F(Saving, BothCommandsNameTheDataSetAfterTheFile) {
    Model m;
    StartUp(m);
    EventLog log(m);
    std::string err;
    ASSERT_TRUE(SaveDimensionFile(m, Path("Big Boy.dst"), err)) << err;
    EXPECT_EQ(m.dataSetName, "Big Boy");
    ASSERT_TRUE(SaveDimensionFile(m, Path("export.MVO"), err)) << err;
    EXPECT_EQ(m.dataSetName, "export");
    EXPECT_EQ(log.Count(ModelEvent::DataSetNameChanged), 2);
    // The upper-case extension was written as text, and opens as text.
    EXPECT_EQ(ReadBytes(Path("export.MVO"))[0], ';');
    ASSERT_TRUE(OpenDimensionFile(m, Path("export.MVO"), err)) << err;
    ASSERT_TRUE(OpenDimensionFile(m, Path("Big Boy.dst"), err)) << err;
    EXPECT_EQ(m.dataSetName, "Big Boy");
}

TEST(DataSetName, IsTheFileNameWithoutFolderAndLastFourCharacters) {
    EXPECT_EQ(DataSetNameFromPath("/home/me/gears/pacific.dst"), "pacific");
    EXPECT_EQ(DataSetNameFromPath("C:\\GEARS\\MOGUL.DST"), "MOGUL");
    EXPECT_EQ(DataSetNameFromPath("mixed\\dir/name.dst"), "name");
    EXPECT_EQ(DataSetNameFromPath("gear.dst"), "gear");
    // Cut by four characters whatever the extension.
    EXPECT_EQ(DataSetNameFromPath("/x/gear.ds"), "gea");
    EXPECT_EQ(DataSetNameFromPath("/x/gear"), "");
    EXPECT_EQ(DataSetNameFromPath("/x/abc"), "");
    EXPECT_EQ(DataSetNameFromPath("/x/"), "");
    EXPECT_EQ(DataSetNameFromPath(""), "");
    // Characters, not bytes: a UTF-8 name is not cut inside a letter.
    EXPECT_EQ(DataSetNameFromPath("/x/Zügel.dst"), "Zügel");
    EXPECT_EQ(DataSetNameFromPath("/x/aßßßß"), "a");
}

}  // namespace
}  // namespace mv::files::testing
