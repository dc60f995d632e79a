#include "child.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <stdexcept>

extern char** environ;

namespace storetest {

Child::Child(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  if (posix_spawn(&pid_, args[0], nullptr, nullptr, args.data(), environ) != 0)
    throw std::runtime_error("cannot start " + argv[0]);
}

Child::~Child() {
  if (!reaped_) kill_now();
}

bool Child::running() {
  if (reaped_) return false;
  if (waitpid(pid_, &status_, WNOHANG) == pid_) reaped_ = true;
  return !reaped_;
}

int Child::wait() {
  if (!reaped_ && waitpid(pid_, &status_, 0) == pid_) reaped_ = true;
  return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
}

void Child::kill_now() {
  if (reaped_) return;
  ::kill(pid_, SIGKILL);
  wait();
}

}  // namespace storetest
