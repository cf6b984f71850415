#pragma once
// libpng as the reference decoder for the tests and the benchmark: decodes a PNG file from
// memory into $AARRGGBB words the way our decoder promises to (palette and low bit depths
// expanded, tRNS turned into alpha, 16-bit samples cut to their high byte, grey spread to RGB,
// alpha 255 added where the file has none).
#include <cstdint>
#include <string>
#include <vector>

struct OracleImage {
    uint32_t Width = 0, Height = 0;
    std::vector<uint32_t> Pixels;
    std::string Error;  // libpng's message when it refused the file
};

OracleImage DecodeWithLibpng(const std::vector<uint8_t>& file);

std::vector<uint8_t> ReadTestFile(const std::string& path);
