// Which fast kernels this build can hold. The SSE2 and AVX2 kernels exist on
// x86 targets whose baseline has SSE2 (every x86-64, and the 32-bit build,
// which asks for SSE2); only their own files are compiled with AVX2. The
// NEON kernels exist on aarch64, where NEON is the baseline. Any other
// target runs the portable kernels.
#ifndef MARDOLIN_INSTRUCTION_SETS_H
#define MARDOLIN_INSTRUCTION_SETS_H

#if (defined(__x86_64__) || defined(__i386__)) && defined(__SSE2__)
#define MARDOLIN_X86_KERNELS 1
#else
#define MARDOLIN_X86_KERNELS 0
#endif

#if defined(__aarch64__) && defined(__ARM_NEON)
#define MARDOLIN_NEON_KERNELS 1
#else
#define MARDOLIN_NEON_KERNELS 0
#endif

#endif
