// The processor check of the entry point: the feature word of CPUID leaf 1 and its MMX bit.
#pragma once

#include <cstdint>

constexpr uint32_t kMmxFeatureBit = 1u << 23;

// On x86: when the processor has CPUID with a leaf above 0, (EAX & 0x00000F00) | (EDX & 0xFFFFF0FF) of leaf 1,
// else 0. Elsewhere the program needs no such feature: the MMX bit alone.
uint32_t ReadProcessorFeatures();
