#pragma once

#include <SDL.h>

#include <cstdint>

// Reading and writing one pixel of a locked surface, `bytes` wide, in the host's order.
inline uint32_t readPixel(const uint8_t* at, int bytes) {
  switch (bytes) {
    case 1:
      return *at;
    case 2:
      return *reinterpret_cast<const uint16_t*>(at);
    case 3:
      if (SDL_BYTEORDER == SDL_BIG_ENDIAN) return (at[0] << 16) | (at[1] << 8) | at[2];
      return at[0] | (at[1] << 8) | (at[2] << 16);
    default:
      return *reinterpret_cast<const uint32_t*>(at);
  }
}

inline void writePixel(uint8_t* at, int bytes, uint32_t pixel) {
  switch (bytes) {
    case 1:
      *at = uint8_t(pixel);
      break;
    case 2:
      *reinterpret_cast<uint16_t*>(at) = uint16_t(pixel);
      break;
    case 3:
      if (SDL_BYTEORDER == SDL_BIG_ENDIAN) {
        at[0] = uint8_t(pixel >> 16), at[1] = uint8_t(pixel >> 8), at[2] = uint8_t(pixel);
      } else {
        at[0] = uint8_t(pixel), at[1] = uint8_t(pixel >> 8), at[2] = uint8_t(pixel >> 16);
      }
      break;
    default:
      *reinterpret_cast<uint32_t*>(at) = pixel;
  }
}
