// Applies arbitrary values with CpioArg, then checks them with CpioChk of
// builds A and C, inside a scratch directory; nothing may appear outside it.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "host/host.h"

namespace {

namespace fs = std::filesystem;

struct World {
  fs::path root;
  fs::path inner;
  host::Host arg_host;  // one host; both builds loaded, the later one serves CpioChk
  World() {
    char pattern[] = "/tmp/tw-fuzz-cpio-XXXXXX";
    root = mkdtemp(pattern);
    inner = root / "inner";
    fs::create_directory(inner);
    fs::current_path(inner);
    arg_host.load(std::string(TW_LIB_DIR) + "/blockio32a.so");
    arg_host.load(std::string(TW_LIB_DIR) + "/blockio32c.so");
  }
};

World& world() {
  // Made once and kept: the fuzzer calls in until the process ends.
  static World* w = [] {
    auto* made = new World();
    std::atexit([] {
      std::error_code ignored;
      fs::remove_all(world().root, ignored);
    });
    return made;
  }();
  return *w;
}

}  // namespace

// The libraries are loaded before the first input, so the fuzzer sees their
// coverage from the start.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  world();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  World& w = world();
  const host::Bytes value(data, data + size);
  for (const char* name : {"CpioArg", "CpioChk"}) {
    const auto out = w.arg_host.call(name).value(value).run();
    if (out.leaked != 0 || !out.memory_faults.empty() || w.arg_host.files().open_count() != 0) {
      std::fprintf(stderr, "%s leaked or faulted\n", name);
      std::abort();
    }
  }
  for (const auto& entry : fs::directory_iterator(w.root)) {
    if (entry.path() != w.inner) {
      std::fprintf(stderr, "written outside the directory: %s\n", entry.path().c_str());
      std::abort();
    }
  }
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(w.inner)) fs::remove_all(entry.path(), ignored);
  return 0;
}
