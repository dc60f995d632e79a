// Loading add-ons: the linkage table, named subroutines, contributed
// functions, the current-buffer guard, the ledger and refused libraries.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "addon/linkage.h"
#include "host/host.h"

namespace {

std::string lib(const std::string& name) { return std::string(TW_LIB_DIR) + "/" + name + ".so"; }

TEST(Linkage, LibraryWithoutSubroutinesHasLeadInAndEnd) {
  void* handle = dlopen(lib("emptyaddon").c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(handle, nullptr) << dlerror();
  const auto* linkage = static_cast<const addon::LinkageEntry*>(dlsym(handle, "Linkage"));
  ASSERT_NE(linkage, nullptr);
  const std::uint32_t kinds[] = {0x14, 0x12, 0x13, 0};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(linkage[i].kind, kinds[i]) << i;
    EXPECT_EQ(linkage[i].pointer, nullptr) << i;
  }
  host::Host host;
  EXPECT_NO_THROW(host.load(lib("emptyaddon")));
  EXPECT_TRUE(host.subroutines().empty());
}

TEST(Linkage, FifteenCharacterNameKeepsItsNul) {
  void* handle = dlopen(lib("testaddon").c_str(), RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(handle, nullptr) << dlerror();
  const auto* linkage = static_cast<const addon::LinkageEntry*>(dlsym(handle, "Linkage"));
  const addon::SubroutineEntry* table = nullptr;
  for (int i = 0; linkage[i].kind != 0; ++i)
    if (linkage[i].kind == addon::kind::kSubroutines)
      table = static_cast<const addon::SubroutineEntry*>(linkage[i].pointer);
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(std::string(table[0].name), "FifteenCharName");
  EXPECT_EQ(std::strlen(table[0].name), 15u);
  EXPECT_EQ(table[0].name[15], '\0');

  host::Host host;
  host.load(lib("testaddon"));
  ASSERT_TRUE(host.offers("FifteenCharName"));
  EXPECT_EQ(*host.number_of("FifteenCharName"), 0x7001u);
}

TEST(Linkage, HostWritesItsSlotsIntoTheLibrary) {
  host::Host host;
  host.load(lib("testaddon"));
  void* handle = dlopen(lib("testaddon").c_str(), RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(*static_cast<addon::HostData**>(dlsym(handle, "Tarn")), &host.data());
  EXPECT_EQ(*static_cast<const addon::ServiceVector**>(dlsym(handle, "OvlSubr")),
            &host.services());
  EXPECT_NE(host.data().char_class['Q'] & addon::kUpperCaseClass, 0);
  EXPECT_EQ(host.data().char_class['q'] & addon::kUpperCaseClass, 0);
}

TEST(Linkage, NumberedFunctionReachesEveryLibrary) {
  host::Host host;
  host.load(lib("testaddon"));
  host.load(lib("calleraddon"));
  const auto out = host.call("CallSlot200").integer(234).run();
  EXPECT_EQ(out.status, 0);
  EXPECT_EQ(out.integer, 1234);
}

TEST(Linkage, MalformedLibrariesAreRefusedWithTheirFault) {
  const struct {
    const char* library;
    const char* fault;
  } cases[] = {
      {"malformed_no_linkage", "does not export Linkage"},
      {"malformed_order", "expected 20"},
      {"malformed_name", "no NUL-terminated name"},
      {"no_such_library", "no_such_library"},
  };
  for (const auto& c : cases) {
    host::Host host;
    try {
      host.load(lib(c.library));
      ADD_FAILURE() << c.library << " was accepted";
    } catch (const host::LoadError& e) {
      EXPECT_NE(std::string(e.what()).find(c.fault), std::string::npos) << e.what();
    }
    EXPECT_TRUE(host.subroutines().empty());
  }
}

TEST(CurrentBufferGuard, RestoresOffset128AfterSuccessAndFailure) {
  host::Host host;
  host.load(lib("testaddon"));
  for (const std::int32_t script_status : {0, 9}) {
    host::Bytes seen;
    const auto out = host.call("EchoValue")
                         .value("abc")
                         .buffer(host::Bytes{1, 2, 3}, 16)
                         .on_result([&](host::ActiveCall& call) {
                           seen = call.current_buffer();
                           return script_status;
                         })
                         .run();
    EXPECT_EQ(out.status, script_status);
    EXPECT_EQ(seen, (host::Bytes{'a', 'b', 'c'}));
    EXPECT_TRUE(out.memory_faults.empty()) << out.memory_faults.front();
    ASSERT_TRUE(out.buffer_after);
    EXPECT_EQ(out.buffer_bytes, (host::Bytes{1, 2, 3}));
    EXPECT_EQ(out.leaked, 0u);
  }
}

TEST(CurrentBufferGuard, NestedCallFromTheScriptBlock) {
  host::Host host;
  host.load(lib("testaddon"));
  host::Bytes inner;
  const auto out = host.call("EchoValue")
                       .value("outer")
                       .on_result([&](host::ActiveCall& call) {
                         const auto nested = call.nested("EchoValue").value("inner").run();
                         inner = nested.handoffs.at(0);
                         EXPECT_EQ(call.current_buffer(), (host::Bytes{'o', 'u', 't', 'e', 'r'}));
                         return 0;
                       })
                       .run();
  EXPECT_EQ(inner, (host::Bytes{'i', 'n', 'n', 'e', 'r'}));
  EXPECT_EQ(out.handoffs.size(), 1u);
  EXPECT_EQ(out.leaked, 0u);
}

TEST(Ledger, CatchesLeaksAndMismatchedReleases) {
  host::Host host;
  host.load(lib("testaddon"));
  EXPECT_EQ(host.call("Leak").run().leaked, 100u);

  const auto out = host.call("WrongRelease").run();
  ASSERT_EQ(out.memory_faults.size(), 2u);
  EXPECT_NE(out.memory_faults[0].find("slot 23 released a block from slot 34"), std::string::npos);
  EXPECT_NE(out.memory_faults[1].find("released 8 bytes of a block of 16"), std::string::npos);
}

TEST(Streams, InputEndsAndFails) {
  host::Host host;
  host.load(lib("testaddon"));
  const auto whole = host.call("CopyStream").stream({1, 2, 255}).run();
  EXPECT_EQ(whole.status, 0);
  EXPECT_EQ(whole.emitted, (host::Bytes{1, 2, 255}));

  const auto cut = host.call("CopyStream").stream({1, 2, 3}).stream_fails_after(2).run();
  EXPECT_EQ(cut.status, 2);
  EXPECT_EQ(cut.emitted, (host::Bytes{1, 2}));
  EXPECT_EQ(cut.errors, (std::vector<std::int32_t>{74}));
}

TEST(Streams, LibraryStateLastsBetweenCalls) {
  host::Host host;
  host.load(lib("testaddon"));
  const auto first = host.call("FifteenCharName").run();
  const auto second = host.call("FifteenCharName").run();
  EXPECT_EQ(second.integer, first.integer + 1);
  EXPECT_EQ(second.numeric, (std::vector<std::int32_t>{first.integer + 1}));
}

}  // namespace
