#include "fuzz/targets.h"

namespace fuzz {

std::span<const Target> Targets()
{
    static const Target targets[] = {
        {"seriallink", FuzzSerialLink},
        {"threephase", FuzzThreePhase},
        {"singlephase", FuzzSinglePhase},
        {"kz827", FuzzKz827},
        {"fields", FuzzFields},
        {"calibration", FuzzCalibration},
        {"mbap", FuzzMbap},
        {"settingsfile", FuzzSettingsFile},
        {"plan", FuzzPlan},
#ifdef KZ_FUZZ_SIMULATOR
        {"simulator", FuzzSimulator},
        {"tcpsimulator", FuzzTcpSimulator},
#endif
    };
    return targets;
}

} // namespace fuzz
