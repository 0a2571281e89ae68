#include "S3mWriter.h"

#include <stdexcept>

namespace {

class Bytes {
public:
  void u8(uint32_t v) { out.push_back(static_cast<char>(v & 0xff)); }
  void u16(uint32_t v) {
    u8(v);
    u8(v >> 8);
  }
  void u32(uint32_t v) {
    u16(v & 0xffff);
    u16(v >> 16);
  }
  // A fixed-width text field, cut or padded with zero bytes.
  void text(const std::string& s, size_t width) {
    for (size_t i = 0; i < width; ++i) u8(i < s.size() ? static_cast<unsigned char>(s[i]) : 0);
  }
  void raw(const std::string& s) { out += s; }
  // Pads to the next 16-byte boundary, where every block of the file must start.
  void align() {
    while (out.size() % 16) u8(0);
  }
  size_t size() const { return out.size(); }
  void put16At(size_t at, uint32_t v) {
    out[at] = static_cast<char>(v & 0xff);
    out[at + 1] = static_cast<char>((v >> 8) & 0xff);
  }
  void put8At(size_t at, uint32_t v) { out[at] = static_cast<char>(v & 0xff); }
  std::string out;
};

uint32_t paragraph(size_t offset) {
  if (offset % 16 || offset / 16 > 0xffffff) throw std::runtime_error("module too large");
  return static_cast<uint32_t>(offset / 16);
}

std::string packPattern(const S3mPattern& pattern) {
  Bytes body;
  for (const auto& row : pattern.cells) {
    for (size_t channel = 0; channel < row.size(); ++channel) {
      const S3mCell& cell = row[channel];
      uint8_t what = static_cast<uint8_t>(channel);
      bool hasNote = cell.note != S3mNoNote || cell.instrument != 0;
      if (hasNote) what |= 0x20;
      if (cell.volume != S3mNoVolume) what |= 0x40;
      if (cell.command != 0) what |= 0x80;
      if (what == channel) continue;
      body.u8(what);
      if (hasNote) {
        body.u8(cell.note);
        body.u8(cell.instrument);
      }
      if (cell.volume != S3mNoVolume) body.u8(cell.volume);
      if (cell.command != 0) {
        body.u8(cell.command);
        body.u8(cell.info);
      }
    }
    body.u8(0);  // end of row
  }
  Bytes packed;
  packed.u16(static_cast<uint32_t>(body.size() + 2));  // the length counts itself
  packed.raw(body.out);
  return packed.out;
}

}  // namespace

uint8_t s3mNote(int midi) {
  int octave = midi / 12 - 1;
  if (octave < 0 || octave > 7) throw std::runtime_error("note out of range");
  return static_cast<uint8_t>((octave << 4) | (midi % 12));
}

std::string encodeS3m(const S3mModule& module) {
  const size_t channels = module.pan.size();
  if (channels == 0 || channels > 16) throw std::runtime_error("1 to 16 channels");
  for (const auto& pattern : module.patterns)
    for (const auto& row : pattern.cells)
      if (row.size() != channels) throw std::runtime_error("pattern width differs");

  // The order list must have an even length; 255 marks the unused end.
  std::vector<uint8_t> orders = module.orders;
  if (orders.size() % 2) orders.push_back(255);

  Bytes file;
  file.text(module.title, 28);
  file.u8(0x1a);
  file.u8(16);  // a module
  file.u16(0);
  file.u16(static_cast<uint32_t>(orders.size()));
  file.u16(static_cast<uint32_t>(module.samples.size()));
  file.u16(static_cast<uint32_t>(module.patterns.size()));
  file.u16(0);       // no compatibility flags
  file.u16(0x1320);  // the tracker version this layout follows
  file.u16(2);       // samples stored unsigned
  file.raw("SCRM");
  file.u8(module.globalVolume);
  file.u8(module.speed);
  file.u8(module.tempo);
  file.u8(0x80 | 0x30);  // stereo, master volume 48
  file.u8(0);            // no click removal channels
  file.u8(252);          // the panning table after the pointers is valid
  for (int i = 0; i < 8; ++i) file.u8(0);
  file.u16(0);  // no special block
  // Channel settings: each channel a distinct left (0..7) or right (8..15) code.
  uint32_t left = 0, right = 8;
  for (size_t c = 0; c < 32; ++c) {
    if (c >= channels)
      file.u8(255);
    else if ((module.pan[c] < 8 && left < 8) || right == 16)
      file.u8(left++);
    else
      file.u8(right++);
  }
  for (uint8_t order : orders) file.u8(order);
  const size_t samplePointers = file.size();
  for (size_t i = 0; i < module.samples.size(); ++i) file.u16(0);
  const size_t patternPointers = file.size();
  for (size_t i = 0; i < module.patterns.size(); ++i) file.u16(0);
  for (size_t c = 0; c < 32; ++c) file.u8(c < channels ? 0x20 | (module.pan[c] & 0x0f) : 0);
  file.align();

  std::vector<size_t> headers;
  for (size_t i = 0; i < module.samples.size(); ++i) {
    const S3mSample& sample = module.samples[i];
    file.put16At(samplePointers + 2 * i, paragraph(file.size()));
    headers.push_back(file.size());
    file.u8(1);  // a sampled instrument
    file.text("", 12);
    file.u8(0);  // sample data pointer, filled in below
    file.u16(0);
    file.u32(static_cast<uint32_t>(sample.data.size()));
    file.u32(sample.loop ? sample.loopStart : 0);
    file.u32(sample.loop ? sample.loopEnd : 0);
    file.u8(sample.volume);
    file.u8(0);
    file.u8(0);                          // not packed
    file.u8((sample.loop ? 1 : 0) | 4);  // 16-bit
    file.u32(sample.c2spd);
    for (int k = 0; k < 12; ++k) file.u8(0);
    file.text(sample.name, 28);
    file.raw("SCRS");
  }
  file.align();

  for (size_t i = 0; i < module.patterns.size(); ++i) {
    file.put16At(patternPointers + 2 * i, paragraph(file.size()));
    file.raw(packPattern(module.patterns[i]));
    file.align();
  }

  for (size_t i = 0; i < module.samples.size(); ++i) {
    uint32_t at = paragraph(file.size());
    file.put8At(headers[i] + 13, at >> 16);
    file.put16At(headers[i] + 14, at & 0xffff);
    for (int16_t s : module.samples[i].data) file.u16(static_cast<uint16_t>(s) ^ 0x8000);
    file.align();
  }
  return file.out;
}

double s3mDuration(const S3mModule& module) {
  double seconds = 0.0;
  for (uint8_t order : module.orders)
    if (order < module.patterns.size()) seconds += S3mRows * module.speed * 2.5 / module.tempo;
  return seconds;
}
