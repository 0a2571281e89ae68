#include "TempDir.h"

#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

TempDir::TempDir(bool enter) {
  std::string pattern = (std::filesystem::temp_directory_path() / "pigmora-test-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
  root = pattern;
  if (enter) {
    previous = std::filesystem::current_path().string();
    std::filesystem::current_path(root);
  }
}

TempDir::~TempDir() {
  std::error_code ignored;
  if (!previous.empty()) std::filesystem::current_path(previous, ignored);
  std::filesystem::permissions(root, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(root, ignored);
}

void TempDir::write(const std::string& name, const std::string& bytes) const {
  std::ofstream out(file(name), std::ios::binary);
  out << bytes;
}

std::string TempDir::read(const std::string& name) const {
  std::ifstream in(file(name), std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}
