#include "pkgextract/tests/interactive_process.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <stdexcept>

namespace pkgx::testing {

InteractiveProcess::InteractiveProcess(const std::vector<std::string>& argv) {
  signal(SIGPIPE, SIG_IGN);  // a child that has gone must not take the test with it
  int to_child[2], from_child[2];
  if (pipe(to_child) != 0 || pipe(from_child) != 0) throw std::runtime_error("pipe");
  pid_ = fork();
  if (pid_ < 0) throw std::runtime_error("fork");
  if (pid_ == 0) {
    dup2(to_child[0], 0);
    dup2(from_child[1], 1);
    close(to_child[0]);
    close(to_child[1]);
    close(from_child[0]);
    close(from_child[1]);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  close(to_child[0]);
  close(from_child[1]);
  in_ = to_child[1];
  out_ = from_child[0];
}

InteractiveProcess::~InteractiveProcess() {
  close_input();
  if (out_ >= 0) close(out_);
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

bool InteractiveProcess::read_more() {
  pollfd p{out_, POLLIN, 0};
  if (poll(&p, 1, 20000) <= 0) return false;
  char buf[4096];
  const ssize_t n = read(out_, buf, sizeof buf);
  if (n <= 0) return false;
  output_.append(buf, static_cast<std::size_t>(n));
  return true;
}

bool InteractiveProcess::wait_for(const std::string& text, int occurrence) {
  for (;;) {
    int found = 0;
    for (auto at = output_.find(text); at != std::string::npos; at = output_.find(text, at + 1))
      ++found;
    if (found >= occurrence) return true;
    if (!read_more()) return false;
  }
}

void InteractiveProcess::send(const std::string& input) {
  if (write(in_, input.data(), input.size()) != static_cast<ssize_t>(input.size()))
    throw std::runtime_error("write to child");
}

void InteractiveProcess::close_input() {
  if (in_ >= 0) close(in_);
  in_ = -1;
}

int InteractiveProcess::wait_exit() {
  close_input();
  while (read_more()) {
  }
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace pkgx::testing
