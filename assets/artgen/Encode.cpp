#include "Encode.h"

#include <jpeglib.h>
#include <png.h>

#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <vector>

namespace {

// 4x4 ordered-dither thresholds in 0..1.
float bayer(int x, int y) {
  static const int m[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
  return (m[y & 3][x & 3] + 0.5f) / 16.0f;
}

// Quantises a channel to `bits` levels with the given dither threshold, then expands it
// back to 8 bits so that the screen's truncating conversion lands on the chosen level.
int toScreenLevel(float value, int bits, float threshold) {
  int levels = (1 << bits) - 1;
  int level = int(std::floor(clamp01(value) * levels + threshold));
  if (level > levels) level = levels;
  int shift = 8 - bits;
  return (level << shift) | (level >> (bits - shift));
}

int byte(float v) {
  return int(std::lround(clamp01(v) * 255.0f));
}

std::vector<unsigned char> opaqueBytes(const Canvas& picture) {
  std::vector<unsigned char> out;
  out.reserve(size_t(picture.width()) * picture.height() * 3);
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      const Colour& c = picture.at(x, y);
      // Each channel gets its own threshold offset so the dither does not tint greys.
      out.push_back(toScreenLevel(c.r, 5, bayer(x, y)));
      out.push_back(toScreenLevel(c.g, 6, bayer(x + 2, y + 1)));
      out.push_back(toScreenLevel(c.b, 5, bayer(x + 1, y + 3)));
    }
  }
  return out;
}

void savePng(const std::string& path, int w, int h, bool alpha,
             const std::vector<unsigned char>& bytes) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  image.width = w;
  image.height = h;
  image.format = alpha ? PNG_FORMAT_RGBA : PNG_FORMAT_RGB;
  if (!png_image_write_to_file(&image, path.c_str(), 0, bytes.data(), 0, nullptr))
    throw std::runtime_error("cannot write " + path + ": " + image.message);
}

}  // namespace

void writePng(const std::string& path, const Canvas& picture, Storage storage, KeyColour key) {
  int w = picture.width(), h = picture.height();
  std::vector<unsigned char> bytes;
  if (storage == Storage::Opaque) {
    savePng(path, w, h, false, opaqueBytes(picture));
    return;
  }
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const Colour& c = picture.at(x, y);
      if (storage == Storage::Alpha) {
        bool clear = byte(c.a) == 0;
        bytes.push_back(clear ? 0 : byte(c.r));
        bytes.push_back(clear ? 0 : byte(c.g));
        bytes.push_back(clear ? 0 : byte(c.b));
        bytes.push_back(byte(c.a));
        continue;
      }
      int r = key.r, g = key.g, b = key.b;
      if (c.a >= 0.5f) {
        // Painted pixels are flattened onto black, so a half-covered edge darkens
        // instead of fringing with the key colour.
        r = byte(c.r * c.a);
        g = byte(c.g * c.a);
        b = byte(c.b * c.a);
        if (r == key.r && g == key.g && b == key.b) r = r > 0 ? r - 1 : 1;
      }
      bytes.push_back(r);
      bytes.push_back(g);
      bytes.push_back(b);
    }
  }
  savePng(path, w, h, storage == Storage::Alpha, bytes);
}

void writeJpeg(const std::string& path, const Canvas& picture) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) throw std::runtime_error("cannot write " + path);
  std::vector<unsigned char> bytes = opaqueBytes(picture);

  jpeg_compress_struct info;
  jpeg_error_mgr errors;
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  jpeg_stdio_dest(&info, file);
  info.image_width = picture.width();
  info.image_height = picture.height();
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 95, TRUE);
  // Full-resolution colour keeps small coloured lettering and edges crisp.
  for (int i = 0; i < info.num_components; ++i) {
    info.comp_info[i].h_samp_factor = 1;
    info.comp_info[i].v_samp_factor = 1;
  }
  jpeg_start_compress(&info, TRUE);
  while (info.next_scanline < info.image_height) {
    JSAMPROW row = &bytes[size_t(info.next_scanline) * picture.width() * 3];
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  std::fclose(file);
}
