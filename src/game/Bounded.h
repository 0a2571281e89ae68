#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>

// A list of at most N items kept inside its owner, so that a whole game copies as one
// plain value (no heap, no pointers) and its size never grows with what a player does.
template <class T, int N>
class BoundedList {
public:
  static constexpr int Capacity = N;

  // False (and nothing added) when the list is full.
  bool push_back(const T& item) {
    if (count == N) return false;
    items[count++] = item;
    return true;
  }
  void pop_back() { --count; }
  void pop_front() { erase(0); }
  void erase(int index) {
    for (int i = index; i + 1 < count; ++i) items[i] = items[i + 1];
    --count;
  }
  void clear() { count = 0; }

  bool empty() const { return count == 0; }
  bool full() const { return count == N; }
  int size() const { return count; }
  T& operator[](int i) { return items[i]; }
  const T& operator[](int i) const { return items[i]; }
  T& front() { return items[0]; }
  const T& front() const { return items[0]; }
  T& back() { return items[count - 1]; }
  const T& back() const { return items[count - 1]; }
  T* begin() { return items; }
  T* end() { return items + count; }
  const T* begin() const { return items; }
  const T* end() const { return items + count; }
  std::reverse_iterator<const T*> rbegin() const { return std::reverse_iterator<const T*>(end()); }
  std::reverse_iterator<const T*> rend() const { return std::reverse_iterator<const T*>(begin()); }

  // Only the items in use count: what lies beyond them is left over from earlier ones.
  template <class V>
  void fields(V& v) {
    v.count(count, N);
    for (int i = 0; i < count; ++i) v(items[i]);
  }

private:
  int32_t count = 0;
  T items[N] = {};
};

// A short text kept inside its owner; longer texts are cut.
template <int N>
class BoundedText {
public:
  BoundedText& operator=(const char* from) {
    size_t length = std::min(std::strlen(from), static_cast<size_t>(N - 1));
    std::memcpy(text, from, length);
    text[length] = '\0';
    return *this;
  }
  const char* c_str() const { return text; }
  std::string str() const { return text; }
  bool empty() const { return text[0] == '\0'; }
  void clear() { text[0] = '\0'; }

  template <class V>
  void fields(V& v) {
    for (char& c : text) v(c);
  }

private:
  char text[N] = {};
};
