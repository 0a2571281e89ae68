#include <algorithm>
#include <cmath>
#include <string>

#include "Output.h"
#include "Palette.h"

// Animations are drawn at the visible cell's top-left corner, so each frame is the
// 32 x 32 cell with the motion centred in it.
namespace {

constexpr int kCell = 32;
constexpr float kMid = 16.0f;
constexpr float kPi = 3.14159265f;

// Small see-through pockets enclosed by paint would show as pinholes once the colour key
// is applied; they are filled with the splat's dark edge colour.
void fillPinholes(Canvas& c, const Colour& fill) {
  int w = c.width(), h = c.height();
  std::vector<char> open(size_t(w) * h, 0);
  std::vector<std::pair<int, int>> todo;
  for (int x = 0; x < w; ++x) todo.insert(todo.end(), {{x, 0}, {x, h - 1}});
  for (int y = 0; y < h; ++y) todo.insert(todo.end(), {{0, y}, {w - 1, y}});
  while (!todo.empty()) {
    auto [x, y] = todo.back();
    todo.pop_back();
    if (!c.inside(x, y) || open[size_t(y) * w + x] || c.at(x, y).a >= 0.5f) continue;
    open[size_t(y) * w + x] = 1;
    for (int dy = -1; dy <= 1; ++dy)
      for (int dx = -1; dx <= 1; ++dx) todo.push_back({x + dx, y + dy});
  }
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      if (c.at(x, y).a < 0.5f && !open[size_t(y) * w + x]) c.at(x, y) = fill;
}

// A paint splash thrown from the centre: the blob swells and droplets fly outward.
Canvas splatFrame(int colour, int frame) {
  Canvas c(kCell, kCell);
  Colour base = pieceBase(colour);
  float p = (frame + 1) / 5.0f;
  float radius = 4.0f + 7.5f * std::sqrt(p);
  uint32_t salt = 300 + colour * 17;
  auto blob = [&](float x, float y) {
    float dx = x - kMid, dy = y - kMid;
    float angle = std::atan2(dy, dx);
    // Lobes around the rim, fixed per colour so every frame grows the same shape.
    float wobble = 0.0f;
    for (int k = 3; k <= 7; ++k)
      wobble += std::sin(angle * k + hashNoise(k, colour, salt) * 6.283f) * (0.12f / (k - 2)) *
                (0.5f + hashNoise(k, 7, salt));
    return std::hypot(dx, dy) - radius * (1 + wobble * (0.4f + p));
  };
  Dice dice(salt);
  struct Drop {
    float angle, speed, size;
  } drops[8];
  for (Drop& d : drops)
    d = {dice.range(0, 2 * kPi), dice.range(0.6f, 1.0f), dice.range(0.7f, 1.2f)};
  auto drops_ = [&](float x, float y) {
    float best = 1e9f;
    for (const Drop& d : drops) {
      float dist = radius * 0.8f + 2 + 9.0f * p * d.speed;
      float r = std::max(0.6f, 2.4f * d.size * (1.1f - 0.6f * p));
      float cx = kMid + std::cos(d.angle) * dist, cy = kMid + std::sin(d.angle) * dist;
      // A short tail pointing back to the centre shows the motion.
      float tx = kMid + std::cos(d.angle) * (dist - 3.5f * p),
            ty = kMid + std::sin(d.angle) * (dist - 3.5f * p);
      float ex = cx - tx, ey = cy - ty;
      float t = clamp01(((x - tx) * ex + (y - ty) * ey) / std::max(1e-3f, ex * ex + ey * ey));
      float tail = std::hypot(x - tx - ex * t, y - ty - ey * t) - r * (0.45f + 0.55f * t);
      best = std::min(best, tail);
    }
    return best;
  };
  // Liquid joins smoothly: crevices between blob and drops fill instead of leaving
  // pinholes that the colour key would punch through.
  auto shape = [&](float x, float y) {
    float a = blob(x, y), b = drops_(x, y);
    const float k = 2.5f;
    float h = std::max(k - std::fabs(a - b), 0.0f) / k;
    return std::min(a, b) - h * h * k * 0.25f;
  };
  c.fillShape([&](float x, float y) { return shape(x, y) - 0.9f; }, scaled(base, 0.3f));
  c.fillShape(shape, [&](float x, float y) {
    float dx = (x - kMid) / (radius + 3), dy = (y - kMid) / (radius + 3);
    float light = 0.85f + 0.35f * clamp01(-(dx + dy) * 0.8f + 0.3f) - 0.2f * clamp01(dx + dy);
    Colour out = scaled(mix(base, rgb(255, 255, 255), 0.12f), light);
    return out;
  });
  fillPinholes(c, scaled(base, 0.3f));
  // Wet highlight.
  c.fillShape(
      [&](float x, float y) {
        return circleDistance(x, y, kMid - radius * 0.35f, kMid - radius * 0.4f,
                              1.2f + radius * 0.12f);
      },
      Colour{1, 1, 1, 0.85f});
  return c;
}

Colour fireRamp(float heat) {
  struct Stop {
    float at;
    Colour c;
  };
  static const Stop stops[] = {{0.0f, rgb(40, 30, 30, 0.0f)},    {0.15f, rgb(70, 50, 45, 0.7f)},
                               {0.35f, rgb(190, 40, 10, 0.95f)}, {0.55f, rgb(250, 120, 20)},
                               {0.75f, rgb(255, 210, 60)},       {1.0f, rgb(255, 255, 235)}};
  heat = clamp01(heat);
  for (int i = 1; i < 6; ++i)
    if (heat <= stops[i].at)
      return mix(stops[i - 1].c, stops[i].c,
                 (heat - stops[i - 1].at) / (stops[i].at - stops[i - 1].at));
  return stops[5].c;
}

// A fireball that flashes, swells into flame and leaves thinning smoke.
Canvas explosionFrame(int frame) {
  Canvas c(kCell, kCell);
  float t = frame / 5.0f;
  float radius = 5.5f + 10.0f * std::sqrt(t);
  for (int y = 0; y < kCell; ++y) {
    for (int x = 0; x < kCell; ++x) {
      float dx = x + 0.5f - kMid, dy = y + 0.5f - kMid;
      float r = std::hypot(dx, dy) / radius;
      float turbulence = fractalNoise(x * 0.22f + frame * 1.7f, y * 0.22f - frame * 2.3f, 3, 611);
      float heat = (1.15f - r) * (1.25f - t * 0.95f) + (turbulence - 0.5f) * 0.55f;
      // The core burns out from the centre in the later frames.
      if (t > 0.5f) heat -= (t - 0.5f) * 0.8f * clamp01(1 - r);
      Colour col = fireRamp(heat);
      float edge = clamp01((1.05f - r) * 5.0f) * (1.0f - 0.55f * t * t);
      col.a *= edge;
      c.blend(x, y, col, 1.0f);
    }
  }
  // Embers thrown outward.
  Dice dice(612);
  for (int i = 0; i < 10; ++i) {
    float angle = dice.range(0, 2 * kPi), speed = dice.range(0.6f, 1.0f);
    float dist = 4 + 13 * t * speed;
    float size = 1.3f * (1 - t * 0.7f);
    float ex = kMid + std::cos(angle) * dist, ey = kMid + std::sin(angle) * dist;
    c.fillShape([&](float x, float y) { return circleDistance(x, y, ex, ey, size); },
                Colour{1.0f, 0.85f - 0.4f * t, 0.4f - 0.3f * t, 1.0f - 0.6f * t});
  }
  return c;
}

// Twinkling four-point stars that pop up one after another around the cell.
Canvas sparkleFrame(int frame) {
  Canvas c(kCell, kCell);
  float t = frame / 10.0f;
  // A soft ring of light opens in the first frames.
  float ringRadius = 3 + 14 * t;
  float ringAlpha = 0.75f * (1 - t) * (1 - t);
  c.fillShape(
      [&](float x, float y) {
        return std::fabs(std::hypot(x - kMid, y - kMid) - ringRadius) - 1.2f;
      },
      rgb(255, 250, 220, ringAlpha));
  Dice dice(700);
  for (int i = 0; i < 10; ++i) {
    float px = dice.range(5, 27), py = dice.range(5, 27);
    // Births spread over the whole run so the last frames still glint as they fade.
    float born = i * 0.062f + dice.range(-0.03f, 0.03f);
    float life = dice.range(0.38f, 0.46f);
    float size = dice.range(0.8f, 1.25f) * (1.0f - 0.35f * t);
    bool tilted = i % 2 == 1;
    float age = (t * 0.95f + 0.06f - born) / life;
    if (age <= 0 || age >= 1) continue;
    float s = std::sin(age * kPi) * size;
    Colour tint =
        i % 3 == 0 ? rgb(255, 230, 130) : (i % 3 == 1 ? rgb(190, 230, 255) : rgb(255, 255, 255));
    for (int y = 0; y < kCell; ++y) {
      for (int x = 0; x < kCell; ++x) {
        float dx = x + 0.5f - px, dy = y + 0.5f - py;
        if (tilted) {
          float rx = (dx + dy) * 0.7071f, ry = (dy - dx) * 0.7071f;
          dx = rx, dy = ry;
        }
        float reach = 9.0f * s;
        float rays =
            std::exp(-std::fabs(dx) / 0.8f - std::fabs(dy) / std::max(0.1f, reach * 0.4f)) +
            std::exp(-std::fabs(dy) / 0.8f - std::fabs(dx) / std::max(0.1f, reach * 0.4f));
        float core = std::exp(-(dx * dx + dy * dy) / std::max(0.05f, 3.0f * s * s));
        float glow = std::exp(-(dx * dx + dy * dy) / std::max(0.05f, 14.0f * s * s)) * 0.35f;
        float v = clamp01((rays + core + glow) * s * 1.5f);
        if (v < 0.01f) continue;
        Colour col = mix(tint, rgb(255, 255, 255), clamp01(core * 1.2f));
        c.blend(x, y, col, v);
      }
    }
  }
  return c;
}

}  // namespace

void makeEffects(Output& out) {
  for (int colour : {Red, Yellow, Orange, Blue, Purple, Green})
    for (int frame = 0; frame < 5; ++frame)
      out.png("Splats",
              std::string("Sprites/") + colourName(colour) + ".splat." + std::to_string(frame + 1) +
                  ".png",
              splatFrame(colour, frame), Storage::Keyed, {0, 0, 0});
  for (int frame = 0; frame < 6; ++frame)
    out.png("Explosion", "Sprites/explosion." + std::to_string(frame + 1) + ".png",
            explosionFrame(frame), Storage::Alpha);
  for (int frame = 0; frame < 11; ++frame)
    out.png("Sparkles", "Sprites/sparkles." + std::to_string(frame + 1) + ".png",
            sparkleFrame(frame), Storage::Alpha);
}
