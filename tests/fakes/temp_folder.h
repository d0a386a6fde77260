// A fresh folder per test, removed with everything in it at the end. The name holds the
// process id, so test processes running side by side never share one.
#pragma once

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>

namespace fakes {

class TempFolder {
 public:
  TempFolder() {
    static std::atomic<int> counter{0};
    m_path =
        std::filesystem::temp_directory_path() /
        ("kavelin-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1)));
    std::filesystem::remove_all(m_path);
    std::filesystem::create_directories(m_path);
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return m_path; }
  // The folder as text ending in "/".
  std::string Dir() const { return m_path.string() + "/"; }
  std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

  static void Write(const std::filesystem::path& file, const std::string& content) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << content;
  }
  static std::string Read(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

 private:
  std::filesystem::path m_path;
};

}  // namespace fakes
