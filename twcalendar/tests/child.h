// A program started as a real child process that runs beside the test, to be
// waited for or killed.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace storetest {

class Child {
 public:
  explicit Child(const std::vector<std::string>& argv);  // argv[0] is the program path
  ~Child();  // kills a child that is still running
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  bool running();
  int wait();  // exit code, or -1 when it did not exit normally
  void kill_now();

 private:
  pid_t pid_ = -1;
  int status_ = 0;
  bool reaped_ = false;
};

}  // namespace storetest
