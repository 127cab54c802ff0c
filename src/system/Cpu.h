#pragma once
// What the processor offers beyond x86-64's baseline, asked once.

// AVX2 with the bit instructions that go with it (BMI1, BMI2, POPCNT): 64 bytes a step.
inline bool cpuHasAvx2() {
#if defined(__x86_64__)
    static const bool has = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") &&
                            __builtin_cpu_supports("bmi2") && __builtin_cpu_supports("popcnt");
    return has;
#else
    return false;
#endif
}
