#pragma once
// Colour values as the form library stores them: 0x00BBGGRR, with a distinct "no colour".

#include <cstdint>

using TColor = uint32_t;

constexpr TColor RGB(uint8_t aRed, uint8_t aGreen, uint8_t aBlue) {
  return static_cast<TColor>(aRed) | (static_cast<TColor>(aGreen) << 8) |
         (static_cast<TColor>(aBlue) << 16);
}
constexpr uint8_t GetRValue(TColor aColor) {
  return aColor & 0xFF;
}
constexpr uint8_t GetGValue(TColor aColor) {
  return (aColor >> 8) & 0xFF;
}
constexpr uint8_t GetBValue(TColor aColor) {
  return (aColor >> 16) & 0xFF;
}

constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clBlack = RGB(0, 0, 0);
constexpr TColor clGreen = RGB(0, 128, 0);
constexpr TColor clBlue = RGB(0, 0, 255);
constexpr TColor clRed = RGB(255, 0, 0);
