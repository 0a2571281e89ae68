#include "TempDir.h"

#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace fs = std::filesystem;

TempDir::TempDir(bool enter) {
  std::string pattern = (fs::temp_directory_path() / "pigmora-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
  root = pattern;
  if (enter) previous = fs::current_path().string(), fs::current_path(root);
}

TempDir::~TempDir() {
  std::error_code ignored;
  if (!previous.empty()) fs::current_path(previous, ignored);
  fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(root, ignored);
}

void TempDir::write(const std::string& name, const std::string& bytes) const {
  std::ofstream(file(name), std::ios::binary) << bytes;
}

std::string TempDir::read(const std::string& name) const {
  std::ostringstream all;
  all << std::ifstream(file(name), std::ios::binary).rdbuf();
  return all.str();
}
