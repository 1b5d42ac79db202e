// merrovan-cli against command lines a user can trip over (and the fuzzer did): values beyond a
// float, sweeps that would never end, "--help" as an option's value, output that cannot be
// written.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

namespace {

struct Result {
    int status = -1;
    std::string out, err;
};

class HostileCli : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/merrovan-cli-hostile-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    // Runs merrovan-cli in the scratch folder; `out` may send stdout elsewhere (/dev/full).
    Result Run(const std::string& args, const std::string& out = "") const {
        const std::string o = out.empty() ? dir_ + "/stdout" : out, e = dir_ + "/stderr";
        const std::string cmd = "cd '" + dir_ + "' && '" MERROVAN_BIN_DIR "/merrovan-cli' " + args +
                                " >'" + o + "' 2>'" + e + "'";
        const int raw = std::system(cmd.c_str());
        Result r;
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = out.empty() ? Slurp(o) : std::string();
        r.err = Slurp(e);
        return r;
    }
    static std::string Slurp(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::string dir_;
};

TEST_F(HostileCli, ValuesAFloatCannotHoldAndEndlessSweepsAreRefused) {
    const std::pair<const char*, const char*> refused[] = {
        {"solve --angle 1e300", "too large"},  {"solve --sweep 1e-6", "at most"},
        {"solve --sweep 0", "at most"},        {"solve --set 6=1e39", "too large"},
        {"solve --revarm -1e39", "too large"}, {"events --set 119=-3.5e38", "too large"},
    };
    for (const auto& [args, reason] : refused) {
        const Result r = Run(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.err.find(reason), std::string::npos) << args << ": " << r.err;
        EXPECT_TRUE(r.out.empty()) << args;
    }
    // A usage error is one line on stderr, even from a command that reports its progress there.
    const Result report = Run("report --out rep --pressure 1");
    EXPECT_EQ(report.status, 2);
    EXPECT_EQ(std::count(report.err.begin(), report.err.end(), '\n'), 1) << report.err;
    // The largest float is a value: the gear clamps, the numbers stay numbers.
    const Result big = Run("solve --set 2=3.4e38");
    EXPECT_EQ(big.status, 0);
    EXPECT_FALSE(std::regex_search(big.out, std::regex("nan|inf|1e999"))) << big.out;
}

TEST_F(HostileCli, HelpIsACommandWordAndNeverAnOptionsValue) {
    for (const char* command : {"solve", "events", "sensitivity", "render --out x.png"}) {
        // Here "--help" names a file, which the scratch folder does not have.
        const Result missing = Run(std::string(command) + " --file --help");
        EXPECT_EQ(missing.status, 1) << command << ": " << missing.err;
        EXPECT_NE(missing.err.find("--help"), std::string::npos) << missing.err;
    }
    // An option that takes a value, given last, still only lacks its value.
    const Result last = Run("solve --frobnicate --file");
    EXPECT_EQ(last.status, 2);
    EXPECT_NE(last.err.find("unknown option"), std::string::npos) << last.err;
    // ... and once it has one, it is read like any other.
    EXPECT_EQ(Run("save-defaults ./--help").status, 0);
    const Result read = Run("solve --file --help");
    EXPECT_EQ(read.status, 0) << read.err;
    EXPECT_EQ(read.out.rfind("{\"angle\":0,", 0), 0u);
    // Where an option may stand it asks for the command's help, which ends with the statuses.
    const Result help = Run("solve --angle 5 --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Exit status: 0 done; 1 a file"), std::string::npos) << help.out;
}

TEST_F(HostileCli, OutputThatCannotBeWrittenIsNoSuccess) {
    const Result r = Run("solve --sweep 1", "/dev/full");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("could not be written"), std::string::npos) << r.err;
}

}  // namespace
