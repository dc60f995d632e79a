#include "platform/console.h"

#include <termios.h>
#include <unistd.h>

#include <cerrno>

namespace platform {
namespace {

// Restores the terminal settings on every way out of a key read.
class RawKeyMode {
 public:
  explicit RawKeyMode(int fd) : fd_(fd) {
    if (!isatty(fd_) || tcgetattr(fd_, &saved_) != 0) return;
    termios raw = saved_;
    raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
    raw.c_cc[VMIN] = 1;
    raw.c_cc[VTIME] = 0;
    active_ = tcsetattr(fd_, TCSANOW, &raw) == 0;
  }
  ~RawKeyMode() {
    if (active_) tcsetattr(fd_, TCSANOW, &saved_);
  }
  RawKeyMode(const RawKeyMode&) = delete;
  RawKeyMode& operator=(const RawKeyMode&) = delete;

 private:
  int fd_;
  termios saved_{};
  bool active_ = false;
};

}  // namespace

void write_stdout(std::string_view text) {
  const char* p = text.data();
  std::size_t left = text.size();
  while (left > 0) {
    const ssize_t n = ::write(STDOUT_FILENO, p, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;  // nowhere to write to: the run goes on regardless
    p += n;
    left -= static_cast<std::size_t>(n);
  }
}

std::optional<unsigned char> read_key() {
  RawKeyMode mode(STDIN_FILENO);
  unsigned char key = 0;
  for (;;) {
    const ssize_t n = ::read(STDIN_FILENO, &key, 1);
    if (n == 1) return key;
    if (n < 0 && errno == EINTR) continue;
    return std::nullopt;
  }
}

}  // namespace platform
