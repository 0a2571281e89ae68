#include "MixFigures.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace {
constexpr double Pi = 3.14159265358979323846;
constexpr size_t Block = 4096;  // about a tenth of a second at 44.1 kHz

double decibels(double amplitude) {
  return 20.0 * std::log10(std::max(amplitude, 1e-10));
}

// In-place radix-2 transform; the length is a power of two.
void transform(std::vector<std::complex<double>>& a) {
  const size_t n = a.size();
  for (size_t i = 1, j = 0; i < n; ++i) {
    size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(a[i], a[j]);
  }
  for (size_t length = 2; length <= n; length <<= 1) {
    std::complex<double> step = std::polar(1.0, -2 * Pi / static_cast<double>(length));
    for (size_t start = 0; start < n; start += length) {
      std::complex<double> w = 1;
      for (size_t k = 0; k < length / 2; ++k, w *= step) {
        std::complex<double> even = a[start + k], odd = a[start + k + length / 2] * w;
        a[start + k] = even + odd;
        a[start + k + length / 2] = even - odd;
      }
    }
  }
}
}  // namespace

MixFigures mixFigures(const int16_t* samples, size_t count, int rate) {
  MixFigures figures;
  if (count == 0 || rate <= 0) return figures;
  double sum = 0, peak = 0;
  for (size_t i = 0; i < count; ++i) {
    double s = samples[i] / 32768.0;
    sum += s * s;
    peak = std::max(peak, std::fabs(s));
    figures.clipped |= samples[i] == 32767 || samples[i] == -32768;
  }
  figures.rmsDb = decibels(std::sqrt(sum / static_cast<double>(count)));
  figures.peakDb = decibels(peak);
  std::vector<int> sizes(samples, samples + count);
  for (int& s : sizes) s = std::abs(s);
  const size_t loud = count - 1 - static_cast<size_t>(MixTarget::LoudShare * count);
  std::nth_element(sizes.begin(), sizes.begin() + loud, sizes.end());
  figures.loudDb = decibels(sizes[loud] / 32768.0);
  // The energy spectrum of windowed blocks, summed.
  double low = 0, high = 0;
  const size_t firstBright =
      static_cast<size_t>(std::ceil(MixTarget::BrightFrom * Block / static_cast<double>(rate)));
  std::vector<std::complex<double>> block(Block);
  for (size_t start = 0; start + Block <= count; start += Block) {
    for (size_t i = 0; i < Block; ++i) {
      double window = 0.5 - 0.5 * std::cos(2 * Pi * static_cast<double>(i) / Block);
      block[i] = samples[start + i] / 32768.0 * window;
    }
    transform(block);
    for (size_t k = 1; k < Block / 2; ++k) (k < firstBright ? low : high) += std::norm(block[k]);
  }
  figures.brightShare = low + high > 0 ? high / (low + high) : 0;
  return figures;
}

double loudestDb(const std::vector<float>& samples, int rate) {
  const size_t span = std::max<size_t>(1, static_cast<size_t>(MixTarget::LoudestSeconds * rate));
  double sum = 0, loudest = 0;
  for (size_t i = 0; i < samples.size(); ++i) {
    sum += static_cast<double>(samples[i]) * samples[i];
    if (i >= span) sum -= static_cast<double>(samples[i - span]) * samples[i - span];
    loudest = std::max(loudest, sum);
  }
  const size_t count = std::min(span, samples.size());
  return count == 0 ? decibels(0) : decibels(std::sqrt(loudest / static_cast<double>(count)));
}
