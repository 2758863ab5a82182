// The one template every handle owner is made from: the close function is a template argument,
// copying is deleted, moving hands the handle on. Portable, so that the archive's file layer
// owns its handle the same way; the Windows kinds are in uHandles.h.
#pragma once

#include <utility>

template <typename T, auto Close, T Invalid = T{}>
class THandle {
 public:
  THandle() = default;
  explicit THandle(T handle) : Value(handle) {}
  THandle(THandle&& other) noexcept : Value(std::exchange(other.Value, Invalid)) {}
  THandle& operator=(THandle&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.Value, Invalid));
    return *this;
  }
  THandle(const THandle&) = delete;
  THandle& operator=(const THandle&) = delete;
  ~THandle() { Reset(); }

  T Get() const { return Value; }
  explicit operator bool() const { return Value != Invalid; }
  T Release() { return std::exchange(Value, Invalid); }
  void Reset(T handle = Invalid) {
    if (Value != Invalid) Close(Value);
    Value = handle;
  }

 private:
  T Value = Invalid;
};
