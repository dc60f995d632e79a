#include "tests/support/process.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <stdexcept>

namespace testsupport {
namespace {

void make_pipe(int fds[2]) {
  if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error(std::strerror(errno));
}

}  // namespace

ProcessResult run_process(const std::vector<std::string>& argv, const std::string& input,
                          const std::string& cwd) {
  int in_pipe[2], out_pipe[2], err_pipe[2];
  make_pipe(in_pipe);
  make_pipe(out_pipe);
  make_pipe(err_pipe);
  std::signal(SIGPIPE, SIG_IGN);

  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error(std::strerror(errno));
  if (pid == 0) {
    dup2(in_pipe[0], 0);
    dup2(out_pipe[1], 1);
    dup2(err_pipe[1], 2);
    if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(126);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    execv(args[0], args.data());
    _exit(127);
  }
  close(in_pipe[0]);
  close(out_pipe[1]);
  close(err_pipe[1]);

  ProcessResult result;
  std::size_t written = 0;
  int in_fd = in_pipe[1];
  if (input.empty()) {
    close(in_fd);
    in_fd = -1;
  }
  bool out_open = true, err_open = true;
  char chunk[65536];
  while (out_open || err_open) {
    pollfd fds[3];
    int count = 0;
    int out_i = -1, err_i = -1, in_i = -1;
    if (out_open) fds[out_i = count++] = {out_pipe[0], POLLIN, 0};
    if (err_open) fds[err_i = count++] = {err_pipe[0], POLLIN, 0};
    if (in_fd >= 0) fds[in_i = count++] = {in_fd, POLLOUT, 0};
    if (poll(fds, count, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    auto drain = [&](int index, int fd, std::string& sink, bool& open) {
      if (index < 0 || fds[index].revents == 0) return;
      const ssize_t n = read(fd, chunk, sizeof chunk);
      if (n > 0)
        sink.append(chunk, static_cast<std::size_t>(n));
      else if (n == 0 || errno != EINTR)
        open = false;
    };
    drain(out_i, out_pipe[0], result.out, out_open);
    drain(err_i, err_pipe[0], result.err, err_open);
    if (in_i >= 0 && fds[in_i].revents != 0) {
      const ssize_t n = write(in_fd, input.data() + written, input.size() - written);
      if (n > 0) written += static_cast<std::size_t>(n);
      if (n < 0 || written == input.size()) {
        close(in_fd);
        in_fd = -1;
      }
    }
  }
  if (in_fd >= 0) close(in_fd);
  close(out_pipe[0]);
  close(err_pipe[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

}  // namespace testsupport
