// A child process talked to step by step: wait for text on its standard
// output, then answer on its standard input.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace pkgx::testing {

class InteractiveProcess {
 public:
  explicit InteractiveProcess(const std::vector<std::string>& argv);
  ~InteractiveProcess();
  InteractiveProcess(const InteractiveProcess&) = delete;
  InteractiveProcess& operator=(const InteractiveProcess&) = delete;

  // Reads output until it holds `text` `occurrence` times in all; false on
  // end of output or after 20 seconds.
  bool wait_for(const std::string& text, int occurrence = 1);
  void send(const std::string& input);
  void close_input();
  // Waits for the exit; returns its code (-1 when killed by a signal).
  int wait_exit();
  const std::string& output() const { return output_; }

 private:
  bool read_more();
  pid_t pid_ = -1;
  int in_ = -1;
  int out_ = -1;
  std::string output_;
};

}  // namespace pkgx::testing
