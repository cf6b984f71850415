#pragma once
// Reversing the five PNG row filters. Private to the decoder.
#include <cstddef>
#include <cstdint>

// Undoes filter `type` (0 None, 1 Sub, 2 Up, 3 Average, 4 Paeth) on the `size` bytes of `row`
// in place. `prev` is the previous row of the same pass, already unfiltered (all zero before
// the first row); `bpp` is the filter's byte distance: bytes per pixel rounded up, 1 to 8.
// Both `row` and `prev` must stay readable for kPngRowSlack bytes past `size` (those bytes
// are read, never written). Returns false, leaving the row as it was, when `type` is none of
// the five.
constexpr size_t kPngRowSlack = 8;
bool UnfilterPngRow(uint8_t type, uint8_t* row, const uint8_t* prev, size_t size, unsigned bpp);
