#pragma once

#include <string>

// A fresh folder under the system's temporary directory, removed with everything in it
// when the object goes away. Optionally becomes the working directory for its lifetime.
class TempDir {
public:
  explicit TempDir(bool enter = false);
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::string& path() const { return root; }
  std::string file(const std::string& name) const { return root + "/" + name; }
  void write(const std::string& name, const std::string& bytes) const;
  std::string read(const std::string& name) const;

private:
  std::string root;
  std::string previous;
};
