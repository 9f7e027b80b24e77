#include "zelException.h"
#include "zelStream.h"
#include "zelStrings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <sys/resource.h>
#include <sys/wait.h>
#include <dirent.h>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::string_literals;

TEST(FindFrom, FindsFirstOccurrenceAtOrAfterStart)
{
    EXPECT_EQ(FindFrom("ab", "xabab", 1), 2);
    EXPECT_EQ(FindFrom("ab", "xabab", 3), 4);
    EXPECT_EQ(FindFrom("ab", "xabab", 5), 0);
    EXPECT_EQ(FindFrom("b", "xabab", 4), 5);   // ends exactly at the last byte
    EXPECT_EQ(FindFrom("abc", "xab", 1), 0);   // longer than what is left
    EXPECT_EQ(FindFrom("ab", "xab", 3), 0);
    EXPECT_EQ(FindFrom("x", "xab", 0), 1);     // below 1 counts as 1
    EXPECT_EQ(FindFrom("x", "xab", 9), 0);
}

TEST(FindFrom, EmptyStringsCaseAndNulBytes)
{
    EXPECT_EQ(FindFrom("", "abc", 1), 0);
    EXPECT_EQ(FindFrom("a", "", 1), 0);
    EXPECT_EQ(FindFrom("A", "abc", 1), 0);
    EXPECT_EQ(FindFrom("\0b"s, "a\0\0b"s, 1), 3);
    EXPECT_EQ(FindFrom("\xE9"s, "caf\xE9"s, 1), 4);
}

TEST(ReplaceEvery, NonOverlappingAndNeverRescanned)
{
    EXPECT_EQ(ReplaceEvery("xxx", "xx", "y"), "yx");
    EXPECT_EQ(ReplaceEvery("xx", "x", "xx"), "xxxx");
    EXPECT_EQ(ReplaceEvery("a&b&", "&", "&amp;"), "a&amp;b&amp;");
    EXPECT_EQ(ReplaceEvery("&amp;lt;", "&amp;", "&"), "&lt;");
}

TEST(ReplaceEvery, EmptyPartsAndRemoval)
{
    EXPECT_EQ(ReplaceEvery("abc", "", "z"), "abc");
    EXPECT_EQ(ReplaceEvery("", "a", "z"), "");
    EXPECT_EQ(ReplaceEvery("abab", "abab", ""), "");
    EXPECT_EQ(ReplaceEvery("a-b-c", "-", ""), "abc");
    EXPECT_EQ(ReplaceEvery("nothing here", "zz", "y"), "nothing here");
}

class StringFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/zelStringsTest.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        chmod(dir.c_str(), 0777); // the unprivileged child must reach it
    }
    void TearDown() override
    {
        chmod(dir.c_str(), 0700);
        fs::remove_all(dir);
    }
    std::string Path(const std::string &name) const { return dir + "/" + name; }
    static void Put(const std::string &path, const std::string &bytes)
    {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    static std::string Get(const std::string &path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // Every name in the folder: a leftover temporary file shows up here.
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const auto &entry : fs::directory_iterator(dir))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    // Saves in a child process that runs without root's rights (root may write anything),
    // and returns the error message, or "saved".
    std::string SaveAsUnprivileged(const std::string &path, const std::string &text)
    {
        int channel[2];
        if (pipe(channel) != 0)
            return "no pipe";
        const pid_t child = fork();
        if (child == 0) {
            close(channel[0]);
            std::string outcome = "saved";
            if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
                outcome = "cannot drop rights";
            else {
                try {
                    SaveStringToFile(path, text);
                } catch (const Exception &e) {
                    outcome = e.Message();
                }
            }
            if (write(channel[1], outcome.data(), outcome.size()) < 0)
                _exit(1);
            _exit(0);
        }
        close(channel[1]);
        std::string outcome;
        char chunk[256];
        for (ssize_t n; (n = read(channel[0], chunk, sizeof chunk)) > 0;)
            outcome.append(chunk, static_cast<size_t>(n));
        close(channel[0]);
        waitpid(child, nullptr, 0);
        return outcome;
    }
    std::string dir;
};

TEST_F(StringFiles, SaveAndLoadKeepEveryByte)
{
    const std::string bytes = "a\0b\r\n\xFF\x80 end"s;
    SaveStringToFile(Path("f.xml"), bytes);
    EXPECT_EQ(Get(Path("f.xml")), bytes);
    EXPECT_EQ(LoadStringFromFile(Path("f.xml")), bytes);
    EXPECT_EQ(LoadStringFromFile(Path("f.xml")).size(), bytes.size());

    SaveStringToFile(Path("f.xml"), "");
    EXPECT_EQ(fs::file_size(Path("f.xml")), 0u);
    EXPECT_EQ(LoadStringFromFile(Path("f.xml")), "");
    EXPECT_EQ(Names(), std::vector<std::string>{"f.xml"});
}

TEST_F(StringFiles, LoadMissingFileGivesOpenError)
{
    const std::string name = Path("missing.xml");
    try {
        LoadStringFromFile(name);
        FAIL() << "no error";
    } catch (const EFOpenError &e) {
        EXPECT_EQ(e.Message(), "Cannot open file \"" + name + "\". No such file or directory");
    }
    try {
        LoadStringFromFile(dir);
        FAIL() << "no error";
    } catch (const EFOpenError &e) {
        EXPECT_EQ(e.Message(), "Cannot open file \"" + dir + "\". Is a directory");
    }
}

TEST_F(StringFiles, SaveIntoMissingFolderGivesCreateErrorAndLeavesNothing)
{
    const std::string name = Path("no/such/folder.xml");
    try {
        SaveStringToFile(name, "x");
        FAIL() << "no error";
    } catch (const EFCreateError &e) {
        EXPECT_EQ(e.Message(), "Cannot create file \"" + name + "\". No such file or directory");
    }
    EXPECT_TRUE(Names().empty());
}

TEST_F(StringFiles, SaveOverDirectoryIsRefused)
{
    fs::create_directory(Path("d"));
    EXPECT_THROW(SaveStringToFile(Path("d"), "x"), EFCreateError);
    EXPECT_TRUE(fs::is_directory(Path("d")));
    EXPECT_EQ(Names(), std::vector<std::string>{"d"});
}

TEST_F(StringFiles, ReadOnlyTargetIsRefusedAndKept)
{
    Put(Path("ro.xml"), "old");
    chmod(Path("ro.xml").c_str(), 0444);
    EXPECT_EQ(SaveAsUnprivileged(Path("ro.xml"), "new"),
              "Cannot create file \"" + Path("ro.xml") + "\". Permission denied");
    EXPECT_EQ(Get(Path("ro.xml")), "old");
    EXPECT_EQ(Names(), std::vector<std::string>{"ro.xml"});
}

TEST_F(StringFiles, ReadOnlyFolderIsRefusedAndOldFileKept)
{
    Put(Path("f.xml"), "old");
    chmod(Path("f.xml").c_str(), 0666); // the file itself is writable, its folder is not
    chmod(dir.c_str(), 0555);
    EXPECT_EQ(SaveAsUnprivileged(Path("f.xml"), "new"),
              "Cannot create file \"" + Path("f.xml") + "\". Permission denied");
    chmod(dir.c_str(), 0700);
    EXPECT_EQ(Get(Path("f.xml")), "old");
    EXPECT_EQ(Names(), std::vector<std::string>{"f.xml"});
}

TEST_F(StringFiles, SaveReplacesWholeFileAndKeepsPermissions)
{
    Put(Path("f.xml"), std::string(100000, 'o'));
    chmod(Path("f.xml").c_str(), 0640);
    SaveStringToFile(Path("f.xml"), "short");
    EXPECT_EQ(Get(Path("f.xml")), "short");
    struct stat info;
    ASSERT_EQ(stat(Path("f.xml").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(Names(), std::vector<std::string>{"f.xml"});
}

TEST_F(StringFiles, NewFileFollowsUmask)
{
    const mode_t old = umask(022);
    SaveStringToFile(Path("new.xml"), "x");
    umask(old);
    struct stat info;
    ASSERT_EQ(stat(Path("new.xml").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0644u);
}

TEST_F(StringFiles, SymlinkStaysSymlinkAndTargetGetsText)
{
    fs::create_directory(Path("real"));
    Put(Path("real/feed.xml"), "old");
    fs::create_symlink("real/feed.xml", Path("link.xml")); // relative link
    SaveStringToFile(Path("link.xml"), "new");
    EXPECT_TRUE(fs::is_symlink(Path("link.xml")));
    EXPECT_EQ(Get(Path("real/feed.xml")), "new");
    EXPECT_EQ(Names(), (std::vector<std::string>{"link.xml", "real"}));
    EXPECT_EQ(fs::directory_iterator(Path("real"))->path().filename(), "feed.xml");

    // A dangling link creates its target, as writing through it would.
    fs::create_symlink(Path("real/later.xml"), Path("dangling.xml"));
    SaveStringToFile(Path("dangling.xml"), "made");
    EXPECT_TRUE(fs::is_symlink(Path("dangling.xml")));
    EXPECT_EQ(Get(Path("real/later.xml")), "made");
}

// A failed write names the file and the system's reason, leaves the old file and no temporary.
TEST_F(StringFiles, FailedWriteLeavesOldFileAndNoTemporary)
{
    // A 1-byte file size limit makes the write fail part way, as a full disk does.
    Put(Path("f.xml"), "x");
    struct rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    struct rlimit tiny = saved;
    tiny.rlim_cur = 1;
    signal(SIGXFSZ, SIG_IGN);
    setrlimit(RLIMIT_FSIZE, &tiny);
    try {
        SaveStringToFile(Path("f.xml"), "a much longer text");
        setrlimit(RLIMIT_FSIZE, &saved);
        FAIL() << "no error";
    } catch (const EWriteError &e) {
        setrlimit(RLIMIT_FSIZE, &saved);
        EXPECT_EQ(e.Message(), "Cannot write file \"" + Path("f.xml") + "\". File too large");
    }
    signal(SIGXFSZ, SIG_DFL);
    EXPECT_EQ(Get(Path("f.xml")), "x");
    EXPECT_EQ(Names(), std::vector<std::string>{"f.xml"});

    // A device that is always full, written in place.
    struct stat full;
    if (stat("/dev/full", &full) != 0 || !S_ISCHR(full.st_mode))
        GTEST_SKIP() << "this system has no /dev/full";
    try {
        SaveStringToFile("/dev/full", "text");
        FAIL() << "no error";
    } catch (const EWriteError &e) {
        EXPECT_EQ(e.Message(), "Cannot write file \"/dev/full\". No space left on device");
    }
}

TEST_F(StringFiles, DevicesAreWrittenInPlace)
{
    EXPECT_NO_THROW(SaveStringToFile("/dev/null", "discarded"));
    struct stat info;
    ASSERT_EQ(stat("/dev/null", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
}

TEST(MemoryStream, ReadWriteSeekAndSize)
{
    TMemoryStream s;
    s.WriteBuffer("hello", 5);
    EXPECT_EQ(s.Position(), 5);
    EXPECT_EQ(s.Size(), 5);
    s.Seek(-2, TSeekOrigin::soEnd);
    char buf[8] = {};
    EXPECT_EQ(s.Read(buf, 8), 2);
    EXPECT_EQ(std::string(buf, 2), "lo");
    s.SetPosition(7);
    s.WriteBuffer("!", 1); // past the end: the gap is zero-filled
    EXPECT_EQ(s.Data(), "hello\0\0!"s);
    s.SetSize(3);
    EXPECT_EQ(s.Position(), 3);
    EXPECT_EQ(s.Data(), "hel");
    s.SetPosition(0);
    EXPECT_THROW(s.ReadBuffer(buf, 4), EReadError);
}

TEST(StringStreams, SaveAtPositionLoadWholeStream)
{
    TMemoryStream s;
    SaveStringToStream("abc", s);
    SaveStringToStream("\0de"s, s);
    EXPECT_EQ(s.Position(), 6);
    s.SetPosition(1);
    SaveStringToStream("X", s);
    EXPECT_EQ(s.Position(), 2);
    EXPECT_EQ(LoadStringFromStream(s), "aXc\0de"s);
    EXPECT_EQ(s.Position(), 6);
    TMemoryStream empty;
    EXPECT_EQ(LoadStringFromStream(empty), "");
}

// A stream that hands out fewer bytes than it claims, and accepts none.
class ShortStream : public TStream {
public:
    int64_t Read(void *, int64_t count) override { return count > 0 ? count - 1 : 0; }
    int64_t Write(const void *, int64_t) override { return 0; }
    int64_t Seek(int64_t, TSeekOrigin) override { return 0; }
    int64_t Size() override { return 10; }
    void SetSize(int64_t) override {}
};

TEST(StringStreams, ShortTransfersRaiseStreamErrors)
{
    ShortStream s;
    try {
        LoadStringFromStream(s);
        FAIL() << "no error";
    } catch (const EReadError &e) {
        EXPECT_STREQ(e.what(), "Stream read error");
    }
    try {
        SaveStringToStream("abc", s);
        FAIL() << "no error";
    } catch (const EWriteError &e) {
        EXPECT_STREQ(e.what(), "Stream write error");
    }
    EXPECT_NO_THROW(SaveStringToStream("", s));
}
