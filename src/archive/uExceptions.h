// The runtime's exception classes and those of the archive subsystem. Messages are fixed
// English texts; the pages show their own texts to the user.
#pragma once

#include <exception>
#include <initializer_list>
#include <string>
#include <string_view>

// The runtime's base exception class: every failure the program raises itself.
class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : Message(std::move(message)) {}
  const char* what() const noexcept override { return Message.c_str(); }
  const std::string Message;
};

// The runtime's silent exception: a handler raises it to end a run without a message.
class EAbort : public Exception {
 public:
  EAbort() : Exception("Operation aborted") {}
};

class ECustomVellumAbnormal : public Exception {
  using Exception::Exception;
};
class EVellumAbnormal : public ECustomVellumAbnormal {
  using ECustomVellumAbnormal::ECustomVellumAbnormal;
};
// Every failure of the archive subsystem.
class EQuillCompress : public EVellumAbnormal {
  using EVellumAbnormal::EVellumAbnormal;
};
class EqcDiskFull : public EQuillCompress {
 public:
  EqcDiskFull() : EQuillCompress("The disk is full") {}
};
class EqcAborted : public EQuillCompress {
 public:
  EqcAborted() : EQuillCompress("Operation aborted by user") {}
};

// Fills the %s and %d placeholders of a message pattern from left to right with the given
// texts (numbers as std::to_string); placeholder-like text inside a value stays as it is.
std::string Format(std::string_view pattern, std::initializer_list<std::string> values);
