#include "tool_runner.h"

#include <dirent.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char **environ;

scratch_directory::scratch_directory() {
    std::string pattern = ::testing::TempDir() + "quodra-div-test-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a scratch directory");
    }
    path_ = pattern;
}

scratch_directory::~scratch_directory() {
    for (const std::string &name : entries()) {
        unlink(file(name).c_str());
    }
    rmdir(path_.c_str());
}

std::vector<std::string> scratch_directory::entries() const {
    std::vector<std::string> names;
    if (DIR *dir = opendir(path_.c_str())) {
        while (const dirent *entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") {
                names.push_back(name);
            }
        }
        closedir(dir);
    }
    return names;
}

std::string read_text(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void write_text(const std::string &path, const std::string &text) {
    std::ofstream(path, std::ios::binary) << text;
}

// Files, not pipes, carry the streams: no deadlock whatever the sizes.
tool_run run_tool(const std::vector<std::string> &arguments, const std::string &input) {
    scratch_directory streams;
    const std::string in = streams.file("in"), out = streams.file("out"), err = streams.file("err");
    write_text(in, input);

    std::vector<std::string> words{QUODRA_DIV_PATH};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char *> argv;
    for (std::string &word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        throw std::runtime_error("cannot start quodra-div");
    }
    int status = 0;
    waitpid(child, &status, 0);

    tool_run run;
    run.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = read_text(out);
    run.err = read_text(err);
    return run;
}

std::vector<std::string> lines_of(const std::string &text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> fields_of(const std::string &line, char separator) {
    std::vector<std::string> fields;
    if (separator == ' ') {
        std::istringstream stream(line);
        for (std::string field; stream >> field;) {
            fields.push_back(field);
        }
        return fields;
    }
    std::string field;
    std::istringstream stream(line);
    while (std::getline(stream, field, separator)) {
        fields.push_back(field);
    }
    if (!line.empty() && line.back() == separator) {
        fields.push_back("");
    }
    return fields;
}
