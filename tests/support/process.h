// Runs a program as a real child process, feeding its standard input and
// collecting its output and exit status.
#pragma once

#include <string>
#include <vector>

namespace testsupport {

struct ProcessResult {
  int exit_code = -1;  // -1 when the child did not exit normally
  std::string out;
  std::string err;
};

// argv[0] is the program path. `cwd` empty: the current directory.
ProcessResult run_process(const std::vector<std::string>& argv, const std::string& input = {},
                          const std::string& cwd = {});

}  // namespace testsupport
