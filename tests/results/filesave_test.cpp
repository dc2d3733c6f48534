#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "Exception.h"
#include "FileUtil.h"
#include "imagebuilder.h"
#include "resultfiles_fixture.h"
#include "uPolyraDatabase.h"
#include "uPolyraProject.h"

namespace fs = std::filesystem;

namespace {

class FileSaving : public ResultFilesTest {
protected:
    Bytes contents(const fs::path &path)
    {
        std::vector<unsigned char> b;
        EXPECT_TRUE(readWholeFile(path.string(), b)) << path;
        return b;
    }

    std::unique_ptr<CBasicProject> project()
    {
        std::unique_ptr<CBasicProject> p(loadProjectFile(write("source.prp", image::build(image::basicItems("Saved")))));
        EXPECT_TRUE(p);
        return p;
    }

    mode_t modeOf(const fs::path &path)
    {
        struct stat st;
        EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
        return st.st_mode & 07777;
    }

    std::set<std::string> hiddenCopies()
    {
        std::set<std::string> out;
        for (const auto &entry : fs::directory_iterator(dir))
            if (entry.path().filename().string().rfind(".scv-save-", 0) == 0)
                out.insert(entry.path().filename().string());
        return out;
    }
};

// Sets the umask for one scope.
class Umask {
public:
    explicit Umask(mode_t mask_) : previous(::umask(mask_)) {}
    ~Umask() { ::umask(previous); }

private:
    mode_t previous;
};

const Bytes newBytes = text("new contents");

TEST_F(FileSaving, AReadOnlyTargetIsRefusedAndKept)
{
    const fs::path locked = write("locked.prb", text("locked"));
    fs::permissions(locked, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    EXPECT_EQ(replaceFile(locked.string(), newBytes.data(), newBytes.size()), FileWriteResult::CannotOpen);

    std::unique_ptr<CBasicProject> p = project();
    EXPECT_FALSE(p->saveToFile(locked.string(), false, false));
    EXPECT_EQ(services.messages, (std::vector<std::string>{"Error writing to file " + locked.string() + "."}));
    EXPECT_FALSE(p->saveToFile(locked.string(), true, false)) << "appending is refused as well";

    EXPECT_EQ(contents(locked), text("locked"));
    EXPECT_EQ(modeOf(locked), 0444u);
    EXPECT_TRUE(hiddenCopies().empty());
    EXPECT_TRUE(services.recentFiles.empty());
}

TEST_F(FileSaving, AFolderTheUserMayNotWriteTakesNoNewFile)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "access rights do not bind root";
    const fs::path folder = dir / "closed";
    fs::create_directory(folder);
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    const std::string target = (folder / "new.prb").string();
    CPolyraDatabase db;
    EXPECT_THROW(db.saveToFile(target), Exception);
    std::unique_ptr<CBasicProject> p = project();
    EXPECT_FALSE(p->saveToFile(target, false, false));
    EXPECT_EQ(services.messages, (std::vector<std::string>{"Error writing to file " + target + "."}));
    fs::permissions(folder, fs::perms::owner_all);
    EXPECT_TRUE(fs::is_empty(folder));
}

TEST_F(FileSaving, ALinkIsFollowedAndStaysALink)
{
    struct Case {
        const char *name;
        fs::path link;
        fs::path pointsTo; // as stored in the link
        fs::path real;
    };
    fs::create_directory(dir / "sub");
    const std::vector<Case> cases = {
        {"absolute", dir / "abs.prb", dir / "real-abs.prb", dir / "real-abs.prb"},
        {"relative, into a folder", dir / "rel.prb", "sub/real-rel.prb", dir / "sub" / "real-rel.prb"},
        {"to a file not there yet", dir / "dangling.prb", "sub/new.prb", dir / "sub" / "new.prb"},
        {"a link to a link", dir / "twice.prb", "abs.prb", dir / "real-abs.prb"},
    };
    write("real-abs.prb", text("old"));
    write("sub/real-rel.prb", text("old"));
    fs::permissions(dir / "sub" / "real-rel.prb", fs::perms::owner_read | fs::perms::owner_write);
    for (const Case &c : cases)
        fs::create_symlink(c.pointsTo, c.link);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_EQ(replaceFile(c.link.string(), newBytes.data(), newBytes.size()), FileWriteResult::Written);
        EXPECT_TRUE(fs::is_symlink(c.link));
        EXPECT_EQ(fs::read_symlink(c.link), c.pointsTo);
        EXPECT_EQ(contents(c.real), newBytes);
    }
    EXPECT_EQ(modeOf(dir / "sub" / "real-rel.prb"), 0600u) << "the file pointed to keeps its mode";

    // A database saved to a link writes the file behind it.
    CPolyraDatabase db;
    ASSERT_TRUE(db.saveToFile((dir / "rel.prb").string()));
    EXPECT_TRUE(fs::is_symlink(dir / "rel.prb"));
    const Bytes saved = contents(dir / "sub" / "real-rel.prb");
    EXPECT_EQ(Bytes(saved.begin(), saved.begin() + 23), text("Scorvista2001 Database\n"));
    EXPECT_TRUE(hiddenCopies().empty());
    for (const auto &entry : fs::directory_iterator(dir / "sub"))
        EXPECT_NE(entry.path().filename().string().rfind(".scv-save-", 0), 0u) << entry.path();
}

TEST_F(FileSaving, ALinkLoopCannotBeOpened)
{
    fs::create_symlink("b.prb", dir / "a.prb");
    fs::create_symlink("a.prb", dir / "b.prb");
    EXPECT_EQ(replaceFile((dir / "a.prb").string(), newBytes.data(), newBytes.size()), FileWriteResult::CannotOpen);
}

TEST_F(FileSaving, NewFilesFollowTheUmaskAndOldOnesKeepTheirMode)
{
    struct Case {
        mode_t umask;
        int existingMode; // -1: a new file
        mode_t expected;
    };
    const std::vector<Case> cases = {
        {077, -1, 0600}, {022, -1, 0644}, {0, -1, 0666}, {027, -1, 0640}, {0, 0640, 0640}, {077, 0664, 0664},
    };
    int n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(n);
        const fs::path target = dir / ("file" + std::to_string(n++) + ".prb");
        if (c.existingMode >= 0) {
            write(target.filename().string(), text("old"));
            ::chmod(target.c_str(), static_cast<mode_t>(c.existingMode));
        }
        {
            Umask mask(c.umask);
            ASSERT_TRUE(writeFileAtomically(target.string(), newBytes.data(), newBytes.size()));
        }
        EXPECT_EQ(modeOf(target), c.expected);
        EXPECT_EQ(contents(target), newBytes);
    }
    // A project's own save and a database's go the same way.
    Umask mask(077);
    std::unique_ptr<CBasicProject> p = project();
    ASSERT_TRUE(p->saveToFile((dir / "private.prp").string(), false, false));
    EXPECT_EQ(modeOf(dir / "private.prp"), 0600u);
    CPolyraDatabase db;
    ASSERT_TRUE(db.saveToFile((dir / "private.prb").string()));
    EXPECT_EQ(modeOf(dir / "private.prb"), 0600u);
}

TEST_F(FileSaving, AFailedProjectSaveSaysSo)
{
    std::unique_ptr<CBasicProject> p = project();
    fs::create_directory(dir / "folder.prp");
    const std::vector<std::string> targets = {(dir / "folder.prp").string(), (dir / "no" / "such" / "x.prp").string()};
    for (const std::string &target : targets) {
        SCOPED_TRACE(target);
        services.messages.clear();
        EXPECT_FALSE(p->saveToFile(target, false, true));
        EXPECT_EQ(services.messages, (std::vector<std::string>{"Error writing to file " + target + "."}));
    }
    // Without items nothing can be written either.
    CPolyraProject empty;
    services.messages.clear();
    const std::string target = (dir / "empty.prp").string();
    EXPECT_FALSE(empty.saveToFile(target, false, false));
    EXPECT_EQ(services.messages, (std::vector<std::string>{"Error writing to file " + target + "."}));
    EXPECT_FALSE(fs::exists(target));
}

TEST_F(FileSaving, StaleCopiesOfTheSameTargetAreRemoved)
{
    const std::string prefix = ".scv-save-target.prb-";
    ASSERT_EQ(saveCopyPrefix("target.prb"), prefix);
    auto copy = [&](const std::string &name, bool old) {
        const fs::path path = dir / name;
        write(name, Bytes(64, 'c'));
        if (old)
            fs::last_write_time(path, fs::last_write_time(path) - std::chrono::hours(1));
        return path;
    };
    const fs::path stale = copy(prefix + "Ab3dE9", true);
    const fs::path staleToo = copy(prefix + "zzzzzz", true);
    const fs::path fresh = copy(prefix + "Fresh1", false);    // may be a save that just began
    const fs::path locked = copy(prefix + "Lock42", true);    // a live save holds it
    const fs::path other = copy(".scv-save-other.prb-Ab3dE9", true);
    const fs::path longer = copy(".scv-save-target.prb-b-Ab3dE9", true); // a copy of "target.prb-b"
    const fs::path notACopy = copy(prefix + "Ab3dE", true);
    const int holder = ::open(locked.c_str(), O_RDONLY);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(::flock(holder, LOCK_EX), 0);

    ASSERT_TRUE(writeFileAtomically((dir / "target.prb").string(), newBytes.data(), newBytes.size()));
    ::close(holder);

    EXPECT_FALSE(fs::exists(stale));
    EXPECT_FALSE(fs::exists(staleToo));
    for (const fs::path &kept : {fresh, locked, other, longer, notACopy})
        EXPECT_TRUE(fs::exists(kept)) << kept;
    EXPECT_EQ(hiddenCopies().size(), 5u) << "the save left no copy of its own";
    EXPECT_EQ(contents(dir / "target.prb"), newBytes);
}

TEST_F(FileSaving, LongTargetNamesGetCopyNamesTheFolderTakes)
{
    const std::string a = std::string(240, 'a') + "1.prb";
    const std::string b = std::string(240, 'a') + "2.prb";
    EXPECT_LE(saveCopyPrefix(a).size() + 6, 255u);
    EXPECT_NE(saveCopyPrefix(a), saveCopyPrefix(b));
    ASSERT_TRUE(writeFileAtomically((dir / a).string(), newBytes.data(), newBytes.size()));
    EXPECT_EQ(contents(dir / a), newBytes);
    EXPECT_TRUE(hiddenCopies().empty());
}

} // namespace
