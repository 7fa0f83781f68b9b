// ReadProcessorFeatures: CPUID leaf 1 on x86, the MMX bit elsewhere.
#include "game/Processor.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

uint32_t ReadProcessorFeatures()
{
#if defined(__i386__) || defined(__x86_64__)
    // __get_cpuid_max tests the EFLAGS ID bit first where CPUID may be missing, and answers 0 then.
    if (__get_cpuid_max(0, nullptr) == 0)
        return 0;
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    __cpuid(1, eax, ebx, ecx, edx);
    return (eax & 0x00000F00u) | (edx & 0xFFFFF0FFu);
#else
    return kMmxFeatureBit;
#endif
}
