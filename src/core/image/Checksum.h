#pragma once
// ChecksumXor5A, the check byte of every ConfigImage section.

#include "core/image/ConfigImage.h"

#include <span>

namespace tarvik::core {

// (byte sum of `bytes`, modulo 256) XOR 0x5A.
Byte computeChecksumXor5A(std::span<const Byte> bytes);

// Computes the checksum of all bytes of `section` but the last and stores it in the last byte.
// An empty span is left alone.
void checksumXor5A(std::span<Byte> section);

} // namespace tarvik::core
