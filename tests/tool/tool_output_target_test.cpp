// What -o does with what it finds at the name: regular files are replaced
// atomically keeping their mode, symlinks are written through (the link
// stays), and FIFOs, devices and descriptor names are written in place.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "tool_runner.h"

namespace {

const std::vector<std::string> two_rows = {"-f", "hex", "100", "7", "-7", "2"};
// 16-bit signed: 100 / 7 = 14 rest 2; -7 / 2 = -3 rest -1.
const std::string two_rows_hex = "0064 0007 000e 0002 0\nfff9 0002 fffd ffff 0\n";

std::vector<std::string> with_output(const std::string &target) {
    std::vector<std::string> arguments = {"-o", target};
    arguments.insert(arguments.end(), two_rows.begin(), two_rows.end());
    return arguments;
}

mode_t kind_of(const std::string &path) {
    struct stat status {};
    EXPECT_EQ(lstat(path.c_str(), &status), 0) << path;
    return status.st_mode & S_IFMT;
}

std::string link_text(const std::string &path) {
    char buffer[512];
    const ssize_t length = readlink(path.c_str(), buffer, sizeof buffer);
    return length < 0 ? std::string() : std::string(buffer, static_cast<std::size_t>(length));
}

TEST(ToolOutputTarget, SymlinksAreWrittenThroughAndStayLinks) {
    scratch_directory dir;
    const std::string file = dir.file("real.hex");
    write_text(file, "old\n");
    // relative link -> file; absolute link -> relative link; dangling link
    ASSERT_EQ(symlink("real.hex", dir.file("near.hex").c_str()), 0);
    ASSERT_EQ(symlink(dir.file("near.hex").c_str(), dir.file("far.hex").c_str()), 0);
    ASSERT_EQ(symlink("made.hex", dir.file("dangling.hex").c_str()), 0);

    for (const char *name : {"near.hex", "far.hex"}) {
        write_text(file, "old\n");
        const tool_run run = run_tool(with_output(dir.file(name)));
        ASSERT_EQ(run.exit_status, 0) << name << ": " << run.err;
        EXPECT_EQ(read_text(file), two_rows_hex) << name;
        EXPECT_EQ(kind_of(dir.file(name)), S_IFLNK) << name;
        EXPECT_EQ(kind_of(file), S_IFREG);
    }
    EXPECT_EQ(link_text(dir.file("near.hex")), "real.hex");

    const tool_run dangling = run_tool(with_output(dir.file("dangling.hex")));
    ASSERT_EQ(dangling.exit_status, 0) << dangling.err;
    EXPECT_EQ(kind_of(dir.file("dangling.hex")), S_IFLNK);
    EXPECT_EQ(read_text(dir.file("made.hex")), two_rows_hex);
    // No temporaries left anywhere.
    std::vector<std::string> names = dir.entries();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"dangling.hex", "far.hex", "made.hex", "near.hex",
                                               "real.hex"}));
}

TEST(ToolOutputTarget, ReplacedFilesKeepTheirMode) {
    scratch_directory dir;
    for (const mode_t mode : {mode_t{0600}, mode_t{0640}, mode_t{0604}, mode_t{0755}}) {
        const std::string file = dir.file("out.hex");
        write_text(file, "old\n");
        ASSERT_EQ(chmod(file.c_str(), mode), 0);
        const tool_run run = run_tool(with_output(file));
        ASSERT_EQ(run.exit_status, 0) << run.err;
        EXPECT_EQ(read_text(file), two_rows_hex);
        struct stat status {};
        ASSERT_EQ(stat(file.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, mode) << std::oct << mode;
        EXPECT_EQ(status.st_uid, geteuid());
        ASSERT_EQ(unlink(file.c_str()), 0);
    }
}

// Only root may give a file to another user; as root the tool keeps a
// replaced file's owner and group instead of making it root's.
TEST(ToolOutputTarget, ReplacedFilesKeepTheirOwnerWhenPermitted) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "only root can hand a file to another owner";
    }
    scratch_directory dir;
    const std::string file = dir.file("owned.hex");
    write_text(file, "old\n");
    const uid_t owner = 65534; // conventionally nobody
    const gid_t group = 65534;
    ASSERT_EQ(chown(file.c_str(), owner, group), 0);
    ASSERT_EQ(chmod(file.c_str(), 0640), 0);
    const tool_run run = run_tool(with_output(file));
    ASSERT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(read_text(file), two_rows_hex);
    struct stat status {};
    ASSERT_EQ(stat(file.c_str(), &status), 0);
    EXPECT_EQ(status.st_uid, owner);
    EXPECT_EQ(status.st_gid, group);
    EXPECT_EQ(status.st_mode & 07777, mode_t{0640});
}

// The test holds the FIFO open for reading and writing itself, so the
// tool's open never waits and nothing blocks if the FIFO were replaced.
TEST(ToolOutputTarget, FifoIsWrittenInPlace) {
    scratch_directory dir;
    const std::string fifo = dir.file("rows.fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const int reader = open(fifo.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    const auto drain = [reader]() {
        std::string received;
        char buffer[4096];
        ssize_t length = 0;
        while ((length = read(reader, buffer, sizeof buffer)) > 0) {
            received.append(buffer, static_cast<std::size_t>(length));
        }
        return received;
    };

    const tool_run run = run_tool(with_output(fifo));
    EXPECT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(drain(), two_rows_hex);
    EXPECT_EQ(kind_of(fifo), S_IFIFO);

    // A refused run writes nothing into it.
    const tool_run refused = run_tool({"-o", fifo, "-f", "csv", "abc", "7"});
    EXPECT_EQ(refused.exit_status, 2);
    EXPECT_EQ(drain(), "");
    EXPECT_EQ(kind_of(fifo), S_IFIFO);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"rows.fifo"});
    close(reader);
}

// The runner captures standard output through a pipe: descriptor 1 of the
// tool is that pipe.
TEST(ToolOutputTarget, DescriptorNamesWriteToTheDescriptor) {
    for (const char *name : {"/dev/fd/1", "/proc/self/fd/1", "/dev/stdout"}) {
        const tool_run run = run_tool(with_output(name));
        EXPECT_EQ(run.exit_status, 0) << name << ": " << run.err;
        EXPECT_EQ(run.out, two_rows_hex) << name;
    }
    const tool_run closed = run_tool(with_output("/dev/fd/987"));
    EXPECT_EQ(closed.exit_status, 3);
    EXPECT_NE(closed.err.find("--output: cannot write '/dev/fd/987'"), std::string::npos)
        << closed.err;
}

TEST(ToolOutputTarget, CharacterDeviceStaysADevice) {
    if (kind_of("/dev/null") != S_IFCHR) {
        GTEST_SKIP() << "/dev/null is not a device on this machine";
    }
    const tool_run run = run_tool(with_output("/dev/null"));
    EXPECT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(kind_of("/dev/null"), S_IFCHR);
}

// rename needs only the folder's permission, so without this check a
// read-only file would be replaced; it is refused, through a link too.
TEST(ToolOutputTarget, WriteProtectedFileIsRefusedAndLeftAlone) {
    scratch_directory dir;
    const std::string file = dir.file("golden.hex");
    write_text(file, "keep me\n");
    ASSERT_EQ(chmod(file.c_str(), 0444), 0);
    ASSERT_EQ(symlink(file.c_str(), dir.file("link.hex").c_str()), 0);
    for (const std::string &target : {file, dir.file("link.hex")}) {
        const tool_run run = run_tool(with_output(target));
        EXPECT_EQ(run.exit_status, 3) << target;
        EXPECT_NE(run.err.find("'" + file + "' is write-protected; change its mode"),
                  std::string::npos)
            << run.err;
        EXPECT_EQ(read_text(file), "keep me\n");
        EXPECT_EQ(dir.entries().size(), 2u); // no temporary left behind
    }
    // Made writable again, it is replaced, keeping its mode.
    ASSERT_EQ(chmod(file.c_str(), 0644), 0);
    EXPECT_EQ(run_tool(with_output(file)).exit_status, 0);
    EXPECT_EQ(read_text(file), two_rows_hex);
}

TEST(ToolOutputTarget, FolderIsRefusedAndLeftAlone) {
    scratch_directory dir;
    const tool_run run = run_tool(with_output(dir.path()));
    EXPECT_EQ(run.exit_status, 3);
    EXPECT_NE(run.err.find("--output: cannot write"), std::string::npos) << run.err;
    EXPECT_TRUE(dir.entries().empty());
}

// -o targets that would lose data: an empty name (an unset variable) would
// put the rows on standard output with success, and a --check report
// written over the checked file (by its name or a link to it) would destroy
// the results it judged. Both are refused as usage, the file left as it was.
TEST(ToolOutputTarget, TargetsThatWouldLoseDataAreRefused) {
    scratch_directory dir;
    const std::string results = dir.file("results.hex");
    write_text(results, two_rows_hex);
    ASSERT_EQ(symlink(results.c_str(), dir.file("link.hex").c_str()), 0);
    struct refused {
        std::vector<std::string> arguments;
        std::string message;
    };
    const refused cases[] = {
        {with_output(""), "--output: expected a FILE name ('-' for standard output)"},
        {{"-f", "hex", "--check", results, "-o", results}, "is the file --check reads"},
        {{"-f", "hex", "--check", results, "-o", dir.file("link.hex")},
         "is the file --check reads"},
    };
    for (const refused &c : cases) {
        const tool_run run = run_tool(c.arguments);
        EXPECT_EQ(run.exit_status, 2) << c.message;
        EXPECT_EQ(run.out, "") << c.message;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_EQ(read_text(results), two_rows_hex) << c.message;
    }
    // A report beside the checked file is written.
    const tool_run beside =
        run_tool({"-f", "hex", "--check", results, "-o", dir.file("report.txt")});
    EXPECT_EQ(beside.exit_status, 0) << beside.err;
    EXPECT_NE(read_text(dir.file("report.txt")).find("0 of 2 rows differ"), std::string::npos);
}

} // namespace
