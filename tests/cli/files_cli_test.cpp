// merrovan-cli and dimension files: convert, save-defaults, --file, and bad files.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

struct Result {
    int status = -1;
    std::string out;
    std::string err;
};

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class CliFiles : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/merrovan-cli-files-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    // Runs merrovan-cli with the arguments (quoted by the caller where needed).
    Result Run(const std::string& args) const {
        const std::string out = Path("stdout"), err = Path("stderr");
        const std::string cmd = std::string("'") + MERROVAN_BIN_DIR + "/merrovan-cli' " + args +
                                " >'" + out + "' 2>'" + err + "'";
        const int raw = std::system(cmd.c_str());
        Result r;
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = Slurp(out);
        r.err = Slurp(err);
        return r;
    }

    std::string dir_;
};

TEST_F(CliFiles, SaveDefaultsAndConvertRoundTrip) {
    Result r = Run("save-defaults " + Path("d.dst"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(r.out.empty());
    EXPECT_EQ(std::filesystem::file_size(Path("d.dst")), 1440u);

    r = Run("convert " + Path("d.dst") + " " + Path("d.mvo"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(Slurp(Path("d.mvo")).find("2.514"), std::string::npos);

    r = Run("convert " + Path("d.mvo") + " " + Path("back.dst"));
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(Slurp(Path("back.dst")), Slurp(Path("d.dst")));
}

TEST_F(CliFiles, SolveReadsEitherFormatBeforeTheSets) {
    ASSERT_EQ(Run("save-defaults " + Path("d.dst")).status, 0);
    // A .mvo with a longer main rod.
    std::string text = Slurp([&] {
        EXPECT_EQ(Run("convert " + Path("d.dst") + " " + Path("g.mvo")).status, 0);
        return Path("g.mvo");
    }());
    const auto at = text.find("\n10 ");
    ASSERT_NE(at, std::string::npos);
    text.replace(at + 1, 2, "12");
    std::ofstream(Path("g.mvo"), std::ios::binary) << text;

    const Result fromMvo = Run("solve --angle 0 --file " + Path("g.mvo"));
    ASSERT_EQ(fromMvo.status, 0) << fromMvo.err;
    EXPECT_NE(fromMvo.out.find("[13.5,0]"), std::string::npos) << fromMvo.out;  // crosshead

    // --set applies after the file.
    const Result withSet = Run("solve --angle 0 --file " + Path("g.mvo") + " --set 3=11");
    ASSERT_EQ(withSet.status, 0) << withSet.err;
    EXPECT_NE(withSet.out.find("[12.5,0]"), std::string::npos) << withSet.out;

    const Result fromDst = Run("solve --angle 0 --file " + Path("d.dst"));
    const Result plain = Run("solve --angle 0");
    ASSERT_EQ(fromDst.status, 0) << fromDst.err;
    EXPECT_EQ(fromDst.out, plain.out);
}

TEST_F(CliFiles, BadFilesExitWithStatusOneAndNothingOnStdout) {
    std::ofstream(Path("short.dst"), std::ios::binary) << std::string(1000, '\0');
    std::ofstream(Path("bad.mvo")) << "; gear\n7.0\nabc\n";
    ASSERT_EQ(Run("save-defaults " + Path("d.dst")).status, 0);
    const std::pair<std::string, std::string> cases[] = {
        {"solve --file " + Path("short.dst"), "file is 1000 bytes, a dimension file has 1440"},
        {"solve --file " + Path("bad.mvo"),
         "bad.mvo: not a dimension file: read as a .mvo text file, line 3: expected a number, "
         "found 'abc'"},
        {"solve --file " + Path("missing.dst"), "missing.dst: cannot open"},
        {"convert " + Path("bad.mvo") + " " + Path("out.dst"), "line 3"},
        {"convert " + Path("d.dst") + " " + Path("nowhere/out.dst"), "cannot save"},
        {"save-defaults " + Path("d.dst/x.dst"), "cannot save"},
    };
    for (const auto& [args, message] : cases) {
        SCOPED_TRACE(args);
        const Result r = Run(args);
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(r.out.empty()) << r.out;
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(Path("out.dst")));
}

TEST_F(CliFiles, WrongArgumentsAreUsageErrors) {
    for (const std::string args : {"convert", "convert a.dst", "convert a b c", "save-defaults",
                                   "save-defaults --bogus x.dst"}) {
        const Result r = Run(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_TRUE(r.out.empty());
    }
}

}  // namespace
