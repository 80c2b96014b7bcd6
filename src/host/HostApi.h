// Symbol visibility of the host libraries' public interface.
//
// The host libraries and the module are built with hidden visibility; every
// class and function that crosses a library boundary carries HOST_API so that
// type ids, vtables and exception types exist once, in the library that owns them.
#pragma once

#define HOST_API __attribute__((visibility("default")))
