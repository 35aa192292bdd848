// Files written whole or not at all, whatever stood at the target, and the CSV cells written so.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>

#include "data/AtomicFile.h"
#include "support/FileSizeLimit.h"
#include "support/ScratchDir.h"

namespace {

namespace fs = std::filesystem;
using data::AtomicFile;

std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

enum class Before { Nothing, EarlierFile, SymlinkToVictim };

TEST(AtomicFile, TheTargetIsTheWholeNewFileOrAsItWas) {
    using Existing = AtomicFile::Existing;
    const struct {
        const char* what;
        Before before;
        Existing existing;
        size_t limit;  // bytes a file may have (a full disk); 0: none
        int error;     // 0: committed
    } cases[] = {
        {"new", Before::Nothing, Existing::Replace, 0, 0},
        {"replaces", Before::EarlierFile, Existing::Replace, 0, 0},
        {"replaces the symlink, not its target", Before::SymlinkToVictim, Existing::Replace, 0, 0},
        {"keeps", Before::EarlierFile, Existing::Keep, 0, EEXIST},
        {"full disk keeps the earlier file", Before::EarlierFile, Existing::Replace, 4096, EFBIG},
    };
    const std::string text(100000, 'x');
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testing_support::ScratchDir scratch;
        const fs::path& dir = scratch.Path();
        const fs::path target = dir / "结果.csv";
        std::ofstream(dir / "victim") << "victim";
        if (c.before == Before::EarlierFile) std::ofstream(target) << "earlier";
        if (c.before == Before::SymlinkToVictim) fs::create_symlink(dir / "victim", target);
        {
            std::unique_ptr<testing_support::FileSizeLimit> full;
            if (c.limit > 0) full = std::make_unique<testing_support::FileSizeLimit>(c.limit);
            AtomicFile file(target.string(), c.existing);
            ASSERT_TRUE(file.Ok()) << file.ErrorText();
            EXPECT_EQ(file.Write(text) && file.Commit(), c.error == 0);
            EXPECT_EQ(file.Errno(), c.error) << file.ErrorText();
        }
        EXPECT_EQ(Read(dir / "victim"), "victim") << "a symlink's target is never written";
        const auto entries = std::distance(fs::directory_iterator(dir), fs::directory_iterator());
        EXPECT_EQ(entries, 2) << "a temporary file was left behind";
        if (c.error == 0) {
            ASSERT_TRUE(fs::is_regular_file(fs::symlink_status(target)));
            EXPECT_EQ(Read(target), text);
            struct stat st{};
            ASSERT_EQ(::stat(target.c_str(), &st), 0);
            const mode_t mask = ::umask(022);
            ::umask(mask);
            EXPECT_EQ(st.st_mode & 0777, 0644 & ~mask);
        } else {
            EXPECT_EQ(Read(target), "earlier");
        }
    }
}

TEST(AtomicFile, AfterATakenNameAnotherNameIsTried) {
    testing_support::ScratchDir scratch;
    const fs::path& dir = scratch.Path();
    std::ofstream(dir / "a.pdf") << "earlier";
    {
        AtomicFile file((dir / "a.pdf").string(), AtomicFile::Existing::Keep);
        ASSERT_TRUE(file.Write("new"));
        EXPECT_FALSE(file.Commit());
        EXPECT_TRUE(file.Commit("a-2.pdf")) << file.ErrorText();
        EXPECT_EQ(file.Path(), (dir / "a-2.pdf").string());  // the name it took
    }
    EXPECT_EQ(Read(dir / "a.pdf"), "earlier");
    EXPECT_EQ(Read(dir / "a-2.pdf"), "new");
}

TEST(AtomicFile, AFolderThatIsNotThereFailsAtOnce) {
    AtomicFile file("/tmp/spb-没有这个文件夹/x.csv");
    EXPECT_EQ(file.ErrorText(), "文件夹不存在");
    EXPECT_FALSE(file.Write("x") || file.Commit());
}

TEST(CsvCell, FormulasAreWrittenAsTextAndSeparatorsQuoted) {
    const std::pair<std::string, std::string> cases[] = {
        {"A1", "A1"},
        {"=cmd|' /C calc'!A0", "'=cmd|' /C calc'!A0"},
        {"-1+2", "'-1+2"},
        {"-", "'-"},
        {"-1", "-1"},  // a plain number stays a number
        {"=HYPERLINK(\"x\",\"y\")", "\"'=HYPERLINK(\"\"x\"\",\"\"y\"\")\""},
        {"香蕉,进口", "\"香蕉,进口\""},
        {"两\r\n行", "\"两\r\n行\""},
    };
    for (const auto& [text, cell] : cases) EXPECT_EQ(data::CsvCell(text), cell) << text;
}

}  // namespace
