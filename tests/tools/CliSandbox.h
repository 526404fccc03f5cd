// CliSandbox: a scratch folder in which the tests run the saverpack program as a user would,
// with TMPDIR pointing at a folder of its own so that leftovers of a run would show.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "TestDrive.h"

namespace saver::testing {

struct Outcome {
    int status = -1;
    std::string out, err;
};

class CliSandbox {
  public:
    CliSandbox() { std::filesystem::create_directory(dir("tmp")); }

    std::string dir(const std::string& name) const { return drive_.root() + "/" + name; }
    void put(const std::string& name, const std::string& bytes) {
        std::ofstream(dir(name), std::ios::binary) << bytes;
    }
    std::string slurp(const std::string& name) const {
        std::ifstream in(dir(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    bool tmpEmpty() const { return std::filesystem::is_empty(dir("tmp")); }

    // Runs `exe args` inside the folder; the exit status and both outputs.
    Outcome run(const std::string& args, const std::string& exe = SAVERPACK_EXE) const {
        const std::string cmd = "cd '" + drive_.root() + "' && TMPDIR='" + dir("tmp") + "' '" +
                                exe + "' " + args + " >out.txt 2>err.txt";
        Outcome r;
        const int raw = std::system(cmd.c_str());
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = slurp("out.txt");
        r.err = slurp("err.txt");
        return r;
    }

  private:
    TestDrive drive_;
};

}  // namespace saver::testing
