#pragma once
// A fresh folder under /tmp for a test's files, removed with everything in it
// when the test is done.

#include <stdlib.h>

#include <filesystem>
#include <string>

class ScratchFolder {
  public:
    ScratchFolder() {
        char templ[] = "/tmp/alarm-test-XXXXXX";
        m_dir = mkdtemp(templ);
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(m_dir, ec);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    std::string path(const char* name) const { return m_dir + "/" + name; }

  private:
    std::string m_dir;
};
