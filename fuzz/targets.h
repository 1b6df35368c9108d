#pragma once
// The fuzz target bodies. Each takes the fuzzer's bytes, drives one part of
// the program with them and checks what must hold whatever the bytes are;
// each returns 0. The libFuzzer programs and the replay test call the same
// bodies. The layout of each input is described at its body.
#include <cstddef>
#include <cstdint>
#include <span>

namespace fuzz {

// The link: collection from the port, cutting to length, CRC, and each
// reply handed to the request that asked while its window takes them.
int FuzzSerialLink(const std::uint8_t *data, std::size_t size);
// The reply handling of every window of a family, without its widgets.
int FuzzThreePhase(const std::uint8_t *data, std::size_t size);
int FuzzSinglePhase(const std::uint8_t *data, std::size_t size);
int FuzzKz827(const std::uint8_t *data, std::size_t size);
// Typed texts through the settings windows' field codecs.
int FuzzFields(const std::uint8_t *data, std::size_t size);
// Calibration readings, references and correction words.
int FuzzCalibration(const std::uint8_t *data, std::size_t size);
// The simulator's request framing and handling (Unix only).
int FuzzSimulator(const std::uint8_t *data, std::size_t size);
// The Modbus TCP frames a gateway sends, taken off the connection.
int FuzzMbap(const std::uint8_t *data, std::size_t size);
// A settings file's text read as a backup.
int FuzzSettingsFile(const std::uint8_t *data, std::size_t size);
// A calibration plan's text.
int FuzzPlan(const std::uint8_t *data, std::size_t size);
// The simulator's Modbus TCP side (Unix only).
int FuzzTcpSimulator(const std::uint8_t *data, std::size_t size);

struct Target {
    const char *name; // also the folder of its corpus and regressions
    int (*body)(const std::uint8_t *, std::size_t);
};
// Every target this build has.
std::span<const Target> Targets();

} // namespace fuzz
