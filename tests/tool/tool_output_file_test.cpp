// An output file is written completely or not at all.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>

#include "tool_runner.h"

namespace {

TEST(ToolOutputFile, CompleteRunReplacesTheFileAndLeavesNothingElse) {
    scratch_directory dir;
    const std::string target = dir.file("golden.hex");
    write_text(target, "previous contents\n");
    const tool_run run = run_tool({"-f", "hex", "--no-header", "-o", target, "100", "7"});
    ASSERT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(read_text(target), "0064 0007 000e 0002 0\n");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"golden.hex"});
}

TEST(ToolOutputFile, FailureAfterWrittenBatchesKeepsTheOldFile) {
    scratch_directory dir;
    const std::string target = dir.file("out.csv");
    write_text(target, "previous contents\n");
    // Batches of two: two batches are written before line 5 fails.
    const tool_run run = run_tool({"-f", "csv", "--batch-size", "2", "-o", target},
                                  "1 1\n2 1\n3 1\n4 1\nfive 1\n6 1\n");
    EXPECT_EQ(run.exit_status, 2);
    EXPECT_NE(run.err.find("<stdin>:5"), std::string::npos) << run.err;
    EXPECT_EQ(read_text(target), "previous contents\n");
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"out.csv"});
}

TEST(ToolOutputFile, RefusedConfigurationCreatesNoFile) {
    scratch_directory dir;
    const tool_run run = run_tool({"-a", "high-radix", "-o", dir.file("x.txt"), "1", "2"});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_TRUE(dir.entries().empty());
}

TEST(ToolOutputFile, UnwritableTargetExitsWithStatusThree) {
    scratch_directory dir;
    const tool_run run = run_tool({"-o", dir.file("missing/out.txt"), "1", "2"});
    EXPECT_EQ(run.exit_status, 3);
    EXPECT_NE(run.err.find("cannot write"), std::string::npos) << run.err;
}

TEST(ToolOutputFile, LongRunStreamsEveryBatch) {
    scratch_directory dir;
    const std::string target = dir.file("many.hex");
    const tool_run run = run_tool({"--random", "20000", "-f", "hex", "--no-header",
                                   "--batch-size", "1000", "-o", target});
    ASSERT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.err, ""); // no progress line when standard error is a file
    EXPECT_EQ(lines_of(read_text(target)).size(), 20000u);
}

// A large -o run, started with its own standard streams sent to files, and
// with a file-size limit when `file_blocks` is not zero.
struct large_run {
    pid_t pid;
};

large_run start_large_run(const std::string &target, const std::string &err, rlim_t file_bytes) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (file_bytes != 0) {
            const struct rlimit limit {file_bytes, file_bytes};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        // A sanitizer build claims SIGSEGV and SIGBUS for its own reports; the
        // tool leaves a handler it did not install alone, so hand those two
        // back to their default action, as a plain build has them.
        const char *options = std::getenv("ASAN_OPTIONS");
        const std::string sanitizer =
            std::string(options ? options : "") + ":handle_segv=0:handle_sigbus=0";
        setenv("ASAN_OPTIONS", sanitizer.c_str(), 1);
        const int error_file = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        dup2(error_file, 2);
        execl(QUODRA_DIV_PATH, QUODRA_DIV_PATH, "--random", "30000000", "-f", "hex", "--jobs",
              "1", "-o", target.c_str(), static_cast<char *>(nullptr));
        _exit(127);
    }
    return {pid};
}

bool temporary_exists(const scratch_directory &dir) {
    for (const std::string &name : dir.entries()) {
        if (name.find(".partial-") != std::string::npos) return true;
    }
    return false;
}

// Killed in the middle of writing by any signal whose default action ends
// the process, the tool dies of that signal, and leaves the old file as it
// was and no temporary beside it (SIGKILL, which cannot be caught, aside).
TEST(ToolOutputFile, EveryFatalSignalLeavesTheOldFileAndNoTemporary) {
    const int signals[] = {SIGINT,  SIGTERM, SIGHUP,    SIGPIPE, SIGUSR1, SIGUSR2, SIGXCPU,
                           SIGALRM, SIGQUIT, SIGABRT,   SIGSEGV, SIGBUS,  SIGVTALRM, SIGPROF};
    for (const int signal_number : signals) {
        SCOPED_TRACE(strsignal(signal_number));
        scratch_directory dir;
        const std::string target = dir.file("golden.hex");
        write_text(target, "previous contents\n");
        const large_run run = start_large_run(target, dir.file("err"), 0);
        for (int wait = 0; wait < 1000 && !temporary_exists(dir); ++wait) usleep(10000);
        ASSERT_TRUE(temporary_exists(dir)) << "the run never started writing";
        usleep(50000); // well inside the writing of 30 million rows
        kill(run.pid, signal_number);
        int status = 0;
        waitpid(run.pid, &status, 0);
        ASSERT_TRUE(WIFSIGNALED(status)) << "exit status " << WEXITSTATUS(status);
        EXPECT_EQ(WTERMSIG(status), signal_number);
        EXPECT_EQ(read_text(target), "previous contents\n");
        EXPECT_EQ(dir.entries(), (std::vector<std::string>{"err", "golden.hex"}));
    }
}

// Past the file-size limit (SIGXFSZ, which the tool ignores so that the
// write fails) and on a full device, the run ends with status 3 and a
// message; the limited file is left as it was, with no temporary.
TEST(ToolOutputFile, FileSizeLimitAndFullDiskAreWriteFailuresWithAMessage) {
    scratch_directory dir;
    const std::string target = dir.file("golden.hex");
    write_text(target, "previous contents\n");
    const large_run run = start_large_run(target, dir.file("err"), 1 << 20);
    int status = 0;
    waitpid(run.pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);
    EXPECT_NE(read_text(dir.file("err")).find("File too large"), std::string::npos)
        << read_text(dir.file("err"));
    EXPECT_EQ(read_text(target), "previous contents\n");
    EXPECT_EQ(dir.entries(), (std::vector<std::string>{"err", "golden.hex"}));

    const tool_run full = run_tool({"--random", "100000", "-f", "hex", "-o", "/dev/full"});
    EXPECT_EQ(full.exit_status, 3);
    EXPECT_NE(full.err.find("No space left on device"), std::string::npos) << full.err;
}

} // namespace
