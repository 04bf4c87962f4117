#include "whole_file/whole_file.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

namespace flyback::whole_file {
namespace {

namespace fs = std::filesystem;

class Folder {
  public:
    Folder() {
        std::string pattern = (fs::temp_directory_path() / "whole-file-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~Folder() { fs::remove_all(path_); }
    const fs::path& path() const { return path_; }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

  private:
    fs::path path_;
};

std::string Contents(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void Put(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

mode_t ModeOf(const std::string& path) {
    struct stat status {};
    ::lstat(path.c_str(), &status);
    return status.st_mode;
}

// Nothing but the files a test made: no temporary is left beside a save.
std::vector<std::string> Names(const Folder& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder.path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(ReadRegularFileTest, ReadsOnlyRegularFilesWithinTheirLimit) {
    const struct {
        const char* name;
        std::function<std::string(const Folder&)> make;  // the path to read
        Why why;
        const char* problem;
    } cases[] = {
        {"a file",
         [](const Folder& f) {
             Put(f / "a", "abc");
             return f / "a";
         },
         Why::None, ""},
        {"nothing there", [](const Folder& f) { return f / "none"; }, Why::Missing,
         "cannot open: No such file or directory"},
        {"a folder", [](const Folder& f) { return f / "."; }, Why::NotRegularFile, "is a folder"},
        {"a FIFO (never waits for a writer)",
         [](const Folder& f) {
             ::mkfifo((f / "fifo").c_str(), 0600);
             return f / "fifo";
         },
         Why::NotRegularFile, "is a FIFO"},
        {"/dev/zero (its size says 0)", [](const Folder&) { return std::string("/dev/zero"); },
         Why::NotRegularFile, "is a device"},
        {"over the limit",
         [](const Folder& f) {
             Put(f / "big", std::string(11, 'x'));
             return f / "big";
         },
         Why::TooLarge, "is larger than 10 bytes"},
        {"a link to a file",
         [](const Folder& f) {
             Put(f / "real", "abc");
             fs::create_symlink("real", f / "link");
             return f / "link";
         },
         Why::None, ""},
    };
    for (const auto& c : cases) {
        const Folder folder;
        const Read read = ReadRegularFile(c.make(folder), 10);
        EXPECT_EQ(read.why, c.why) << c.name;
        EXPECT_EQ(read.problem, c.problem) << c.name;
        EXPECT_EQ(read.text.has_value(), c.why == Why::None) << c.name;
        if (read.text) {
            EXPECT_EQ(*read.text, "abc") << c.name;
        }
    }
}

TEST(WriteWholeFileTest, WritesRegularFilesAndRefusesEveryOtherKind) {
    const struct {
        const char* name;
        std::function<std::string(const Folder&)> make;  // the path to save at
        const char* problem;
    } cases[] = {
        {"a new file", [](const Folder& f) { return f / "new"; }, ""},
        {"an old file",
         [](const Folder& f) {
             Put(f / "old", "old");
             return f / "old";
         },
         ""},
        {"a folder",
         [](const Folder& f) {
             fs::create_directory(f / "dir");
             return f / "dir";
         },
         "is a folder, not a regular file"},
        {"a FIFO",
         [](const Folder& f) {
             ::mkfifo((f / "fifo").c_str(), 0600);
             return f / "fifo";
         },
         "is a FIFO, not a regular file"},
        {"a device", [](const Folder&) { return std::string("/dev/null"); },
         "is a device, not a regular file"},
        {"a name of 255 bytes", [](const Folder& f) { return f / std::string(255, 'n'); }, ""},
        {"a folder that is not there", [](const Folder& f) { return f / "none/file"; },
         "No such file or directory"},
    };
    for (const auto& c : cases) {
        const Folder folder;
        const std::string path = c.make(folder);
        const auto before = Names(folder);
        EXPECT_EQ(WriteWholeFile(path, "text"), c.problem) << c.name;
        if (*c.problem == '\0') {
            EXPECT_EQ(Contents(path), "text") << c.name;
            EXPECT_TRUE(S_ISREG(ModeOf(path))) << c.name;
        } else if (path.starts_with(folder.path().string())) {
            EXPECT_EQ(Names(folder), before) << c.name << ": something was left";
        }
    }
    EXPECT_TRUE(S_ISCHR(ModeOf("/dev/null")));
}

TEST(WriteWholeFileTest, ALinkIsFollowedToItsFileAndKept) {
    const Folder folder;
    fs::create_directory(folder.path() / "sub");
    Put(folder / "sub/real", "old");
    fs::create_symlink("sub/real", folder.path() / "link");
    fs::create_symlink("link", folder.path() / "link2");
    ASSERT_EQ(WriteWholeFile(folder / "link2", "new"), "");
    EXPECT_TRUE(S_ISLNK(ModeOf(folder / "link")));
    EXPECT_TRUE(S_ISLNK(ModeOf(folder / "link2")));
    EXPECT_EQ(Contents(folder / "sub/real"), "new");
    // A link to a file not made yet makes that file.
    fs::create_symlink("sub/later", folder.path() / "dangling");
    ASSERT_EQ(WriteWholeFile(folder / "dangling", "made"), "");
    EXPECT_EQ(Contents(folder / "sub/later"), "made");
    // A loop of links is refused, not followed for ever.
    fs::create_symlink("loop2", folder.path() / "loop1");
    fs::create_symlink("loop1", folder.path() / "loop2");
    EXPECT_FALSE(WriteWholeFile(folder / "loop1", "x").empty());
}

TEST(WriteWholeFileTest, AReplacedFileKeepsItsPermissions) {
    const Folder folder;
    for (const mode_t mode : {0600, 0640, 0755}) {
        Put(folder / "kept", "old");
        ::chmod((folder / "kept").c_str(), mode);
        ASSERT_EQ(WriteWholeFile(folder / "kept", "new"), "");
        EXPECT_EQ(ModeOf(folder / "kept") & 07777, mode);
        EXPECT_EQ(Contents(folder / "kept"), "new");
    }
    EXPECT_EQ(Names(folder), std::vector<std::string>{"kept"});
}

// Runs `check` as a user other than root (root may write anything, as cp
// as root does): in a child that drops to nobody where the test runs as
// root. Its status: 0 where `check` held.
int AsAnOrdinaryUser(const std::function<bool()>& check) {
    if (::geteuid() != 0) return check() ? 0 : 1;
    const pid_t child = ::fork();
    if (child == 0) {
        constexpr uid_t kNobody = 65534;
        if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) ::_exit(2);
        ::_exit(check() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 3;
}

// A file its owner made read-only is refused, and kept, as cp keeps it:
// renaming over it would need only the folder's permission.
TEST(WriteWholeFileTest, AReadOnlyFileIsRefusedAndKept) {
    const Folder folder;
    ::chmod(folder.path().c_str(), 0777);
    const std::string target = folder / "ro.mas.json";
    Put(target, "old");
    ::chmod(target.c_str(), 0444);
    EXPECT_EQ(AsAnOrdinaryUser([&] {
                  const Written refused = WriteWhole(target, "new");
                  return refused.why == Why::System && refused.error == EACCES &&
                         Contents(target) == "old";
              }),
              0);
    EXPECT_EQ(Contents(target), "old");
    EXPECT_EQ(ModeOf(target) & 07777, 0444u);
    EXPECT_EQ(Names(folder), std::vector<std::string>{"ro.mas.json"});
}

// A save stopped at any moment (a kill cannot be caught) leaves the target
// whole or as it was, and no temporary beside it.
TEST(WriteWholeFileTest, AKilledSaveLeavesNoTemporary) {
    {
        const Folder probe;
        const int fd = ::open(probe.path().c_str(), O_TMPFILE | O_WRONLY, 0600);
        if (fd < 0) GTEST_SKIP() << "this file system makes no unnamed files";
        ::close(fd);
    }
    const std::string text(std::size_t{64} * 1024 * 1024, 'x');
    for (const int delay_us : {0, 2000, 20000}) {
        const Folder folder;
        Put(folder / "kept", "old");
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            WriteWholeFile(folder / "kept", text);
            ::_exit(0);
        }
        ::usleep(static_cast<useconds_t>(delay_us));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        EXPECT_EQ(Names(folder), std::vector<std::string>{"kept"}) << delay_us;
        const std::string now = Contents(folder / "kept");
        EXPECT_TRUE(now == "old" || now == text) << delay_us;
    }
}

}  // namespace
}  // namespace flyback::whole_file
