// The libFuzzer entry of one target; KZ_FUZZ_BODY names its body.
#include "fuzz/fuzzinput.h"
#include "fuzz/targets.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::EnsureApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    return KZ_FUZZ_BODY(data, size);
}
