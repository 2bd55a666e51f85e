#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "comlite/categories.h"
#include "comlite/creation.h"
#include "comlite/error_info.h"
#include "comlite/registry.h"
#include "support/temp_env.h"

using comlite::registry::Data;

namespace {

std::string readAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void writeAll(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

}  // namespace

TEST(Registry, keys_and_values_round_trip_case_insensitively) {
  Data d;
  d.setValue("CLSID\\{A}\\InprocServer32", "", "/lib/x.so");
  d.setValue("CLSID\\{A}\\InprocServer32", "ThreadingModel", "Apartment");
  d.setValue("Prog.Id", "", "quote \" back\\slash\nnew line");
  d.createKey("CLSID\\{A}\\Implemented Categories\\{C}");
  Data back;
  std::string error;
  ASSERT_TRUE(back.parse(d.serialize(), "mem", error)) << error;
  EXPECT_EQ(back.value("clsid\\{a}\\inprocserver32", "threadingmodel"), "Apartment");
  EXPECT_EQ(back.value("Prog.Id"), "quote \" back\\slash\nnew line");
  EXPECT_TRUE(back.hasKey("CLSID\\{A}"));  // implicit parent
  EXPECT_TRUE(back.hasKey("CLSID\\{A}\\Implemented Categories\\{C}"));
  EXPECT_FALSE(back.hasKey("CLSID\\{B}"));
  EXPECT_EQ(back.subkeys("CLSID\\{A}"),
            (std::vector<std::string>{"Implemented Categories", "InprocServer32"}));
  EXPECT_TRUE(back.deleteTree("clsid\\{A}"));
  EXPECT_FALSE(back.hasKey("CLSID\\{A}\\InprocServer32"));
  EXPECT_TRUE(back.hasKey("Prog.Id"));
}

TEST(Registry, a_rewrite_of_the_same_size_is_seen_at_once_with_its_categories) {
  testsupport::TempDir dir;
  testsupport::ScopedEnv env("CORAVL_REGISTRY", dir.file("registry"));
  constexpr CLSID kClass = comlite::makeGuid("6C1F7F0A-0000-4000-8000-000000000001");
  constexpr CATID kCats[] = {comlite::makeGuid("6C1F7F0A-0000-4000-8000-00000000000A"),
                             comlite::makeGuid("6C1F7F0A-0000-4000-8000-00000000000B")};
  const std::string key = "CLSID\\" + comlite::guidToString(kClass);
  // The third rewrite follows a read made when the file had been still for a while, which
  // the cache may trust without reading: a rewrite in place must still show.
  for (int step = 0; step < 3; ++step) {
    const int i = step % 2;
    if (step == 2) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1100));
      EXPECT_EQ(comlite::modulePathOf(kClass), "/lib/1.so");
    }
    Data d;
    const std::string module = "/lib/" + std::to_string(i) + ".so";
    d.setValue(key + "\\InprocServer32", "", module);
    d.createKey(key + "\\Implemented Categories\\" + comlite::guidToString(kCats[i]));
    writeAll(dir.file("registry"), d.serialize());
    EXPECT_EQ(comlite::modulePathOf(kClass), module);
    std::shared_ptr<const Data> now;
    ASSERT_EQ(comlite::registry::snapshot(now), S_OK);
    EXPECT_EQ(comlite::classesImplementing(*now, kCats[i]), std::vector<CLSID>{kClass});
    EXPECT_TRUE(comlite::classesImplementing(*now, kCats[1 - i]).empty());
    Data changed = *now;  // an edited copy no longer answers from the index of the read
    changed.deleteTree(key + "\\Implemented Categories");
    EXPECT_TRUE(comlite::classesImplementing(changed, kCats[i]).empty());
  }
}

TEST(Registry, cut_short_or_garbled_file_is_rejected_and_left_untouched) {
  testsupport::TempDir dir;
  testsupport::ScopedEnv env("CORAVL_REGISTRY", dir.file("registry"));
  ASSERT_EQ(comlite::registry::update([](Data& d) {
              d.setValue("A", "", "1");
              d.setValue("B", "", "2");
              return true;
            }),
            S_OK);
  const std::string good = readAll(dir.file("registry"));
  const std::string cut = good.substr(0, good.size() - 6);
  const std::string garbled = good.substr(0, good.find("[B]")) + "garbage line\n" + "; end\n";
  for (const std::string& bad : {cut, garbled, std::string("hello\n")}) {
    writeAll(dir.file("registry"), bad);
    Data d;
    std::string error;
    EXPECT_EQ(comlite::registry::load(d, &error), REGDB_E_READREGDB);
    EXPECT_NE(error.find("line"), std::string::npos) << error;
    EXPECT_EQ(comlite::registry::update([](Data& d) {
                d.setValue("C", "", "3");
                return true;
              }),
              REGDB_E_READREGDB);
    EXPECT_EQ(readAll(dir.file("registry")), bad);
  }
}

TEST(Registry, concurrent_writers_in_two_processes_lose_no_entry) {
  testsupport::TempDir dir;
  testsupport::ScopedEnv env("CORAVL_REGISTRY", dir.file("registry"));
  constexpr int kWriters = 2, kEach = 40;
  pid_t pids[kWriters];
  for (int w = 0; w < kWriters; ++w) {
    pids[w] = ::fork();
    ASSERT_GE(pids[w], 0);
    if (pids[w] == 0) {
      for (int i = 0; i < kEach; ++i) {
        HRESULT hr = comlite::registry::update([&](Data& d) {
          d.setValue("CLSID\\{" + std::to_string(w) + "-" + std::to_string(i) + "}", "", "x");
          return true;
        });
        if (FAILED(hr)) ::_exit(1);
      }
      ::_exit(0);
    }
  }
  for (pid_t p : pids) {
    int status = 0;
    ::waitpid(p, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  Data d;
  ASSERT_EQ(comlite::registry::load(d), S_OK);
  EXPECT_EQ(d.subkeys("CLSID").size(), std::size_t(kWriters * kEach));
}

TEST(Registry, only_a_regular_file_of_bounded_size_is_read_and_the_reason_reaches_the_caller) {
  testsupport::TempDir dir;
  const std::string path = dir.file("registry");
  struct Row {
    const char* what;
    void (*make)(const std::string& path);
    const char* reason;
  };
  const Row rows[] = {
      {"link to /dev/zero", [](const std::string& p) { ::symlink("/dev/zero", p.c_str()); },
       "is not a regular file"},
      {"FIFO", [](const std::string& p) { ::mkfifo(p.c_str(), 0644); }, "is not a regular file"},
      {"folder", [](const std::string& p) { ::mkdir(p.c_str(), 0755); }, "is not a regular file"},
      {"257 MiB file",  // sparse: takes no room
       [](const std::string& p) {
         std::ofstream(p) << "";
         std::filesystem::resize_file(p, 257u << 20);
       },
       "is larger than 256 MiB"},
      {"parse error",
       [](const std::string& p) {
         writeAll(p, "; coravl class registry 1\n[A]\ngarbage\n; end\n");
       },
       "line 3"},
  };
  testsupport::ScopedEnv env("CORAVL_REGISTRY", path);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::filesystem::remove_all(path);
    row.make(path);
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID(u"Some.Class.1", &clsid), CO_E_CLASSSTRING);
    std::string description, source;
    ASSERT_TRUE(comlite::takeErrorInfo(description, source));
    EXPECT_NE(description.find(path), std::string::npos) << description;
    EXPECT_NE(description.find(row.reason), std::string::npos) << description;
    EXPECT_EQ(source, "CLSIDFromProgID");
    void* object = nullptr;
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object),
              REGDB_E_CLASSNOTREG);
    ASSERT_TRUE(comlite::takeErrorInfo(description, source));
    EXPECT_NE(description.find(row.reason), std::string::npos) << description;
  }
  std::filesystem::remove_all(path);
}
