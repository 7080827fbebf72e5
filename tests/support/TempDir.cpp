#include "tests/support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "platform/Cp932.h"

TempDir::TempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "orvo-test-XXXXXX").string();
  if (!::mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
  path_ = tmpl + "/";
}

TempDir::~TempDir() {
  std::error_code ec;
  // Read-only entries must not keep the folder alive.
  for (auto& e : std::filesystem::recursive_directory_iterator(path_, ec))
    std::filesystem::permissions(e.path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

std::string TempDir::Write(std::string_view name, std::string_view content) const {
  std::filesystem::path p = std::filesystem::path(path_) / std::string(name);
  std::filesystem::create_directories(p.parent_path());
  std::ofstream f(p, std::ios::binary);
  f << content;
  return p.string();
}

std::string TempDir::Read(std::string_view name) const {
  std::ifstream f(std::filesystem::path(path_) / std::string(name), std::ios::binary);
  std::stringstream ss;
  ss << f.rdbuf();
  return ss.str();
}

bool TempDir::Exists(std::string_view name) const {
  return std::filesystem::exists(std::filesystem::symlink_status(std::filesystem::path(path_) / std::string(name)));
}

std::string Sjis(std::string_view utf8) {
  auto s = cp932::FromUtf8(utf8);
  if (!s) throw std::runtime_error("no CP932 form");
  return *s;
}

std::string SjisLines(std::initializer_list<std::string_view> lines) {
  std::string out;
  for (auto l : lines) out += Sjis(l) + "\r\n";
  return out;
}
