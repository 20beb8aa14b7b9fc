// Runs the built quodra-div with given arguments and standard input, and
// captures what it prints and how it exits.
#ifndef QUODRA_TESTS_TOOL_RUNNER_H
#define QUODRA_TESTS_TOOL_RUNNER_H

#include <string>
#include <vector>

struct tool_run {
    int exit_status = -1; // -1: did not exit normally
    std::string out;
    std::string err;
};

tool_run run_tool(const std::vector<std::string> &arguments, const std::string &input = "");

// A fresh empty directory, removed with everything in it at destruction.
class scratch_directory {
public:
    scratch_directory();
    ~scratch_directory();
    scratch_directory(const scratch_directory &) = delete;
    scratch_directory &operator=(const scratch_directory &) = delete;

    const std::string &path() const { return path_; }
    std::string file(const std::string &name) const { return path_ + "/" + name; }
    std::vector<std::string> entries() const;

private:
    std::string path_;
};

std::string read_text(const std::string &path);
void write_text(const std::string &path, const std::string &text);

// Output lines, and whitespace- or comma-separated fields of a line.
std::vector<std::string> lines_of(const std::string &text);
std::vector<std::string> fields_of(const std::string &line, char separator = ' ');

#endif
