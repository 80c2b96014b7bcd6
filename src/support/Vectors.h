// Which hand-written vector code the module compiles. A build configured with
// FENNICK_PORTABLE compiles none, so that its portable loops are built and
// tested; elsewhere x86-64 always has SSE2, and SSSE3 is looked for at run time.
#pragma once

#if !defined(FENNICK_PORTABLE) && defined(__SSE2__)
#define FENNICK_SSE2 1
#endif

#if defined(FENNICK_SSE2) && defined(__x86_64__)
#define FENNICK_SSSE3 1
#endif
