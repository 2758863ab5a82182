// The C++ library raises its own errors (a string too long, an index out of range) through a
// few functions that all live in one object file of the runtime, which brings a second string
// implementation and every standard exception class with it: some 25 KB setup.exe cannot
// spare. These definitions take their place; they raise the same kinds of error, with the
// program's own exception class for those that carry a message. Nothing in the program catches
// the standard classes by name.
#include <bits/functexcept.h>

#include <new>

#include "uExceptions.h"

namespace std {

void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_length_error(const char* what) { throw Exception(what); }
void __throw_logic_error(const char* what) { throw Exception(what); }
// The formatted variant's arguments only decorate the message.
void __throw_out_of_range_fmt(const char* what, ...) { throw Exception(what); }

}  // namespace std
