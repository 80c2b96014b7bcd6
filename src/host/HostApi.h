// Symbol visibility of the host libraries' public interface.
//
// Every class and function that crosses a library boundary carries its
// library's mark (TAMSEL_API, PELMO_API, ORVO_API), so that type ids, vtables
// and exception types exist once, in the library that owns them. On ELF the
// libraries are built with hidden visibility and the mark makes a name
// visible; on Windows it exports the name from the library that is being
// built (CMake defines <library>_EXPORTS there) and imports it everywhere else.
#pragma once

#ifdef _WIN32
#define HOST_EXPORT __declspec(dllexport)
#define HOST_IMPORT __declspec(dllimport)
#else
#define HOST_EXPORT __attribute__((visibility("default")))
#define HOST_IMPORT __attribute__((visibility("default")))
#endif

// printf-style arguments, checked against the C99 formats the libraries use
// (mingw-w64's own printf, not the old Windows runtime's).
#ifdef __MINGW32__
#define HOST_PRINTF(formatIndex, firstArgument) __attribute__((format(gnu_printf, formatIndex, firstArgument)))
#else
#define HOST_PRINTF(formatIndex, firstArgument) __attribute__((format(printf, formatIndex, firstArgument)))
#endif

#ifdef tamsel_EXPORTS
#define TAMSEL_API HOST_EXPORT
#else
#define TAMSEL_API HOST_IMPORT
#endif

#ifdef pelmo_EXPORTS
#define PELMO_API HOST_EXPORT
#else
#define PELMO_API HOST_IMPORT
#endif

#ifdef orvo_EXPORTS
#define ORVO_API HOST_EXPORT
#else
#define ORVO_API HOST_IMPORT
#endif
