#include "tools/icon_gen/icon.h"

#include <array>
#include <cmath>

namespace dizod::icon {

namespace {

struct Rgb {
  std::uint8_t r, g, b;
};

constexpr std::uint32_t kHeaderBytes = 40;
constexpr Rgb kDiscBlue{0, 0, 192};
constexpr Rgb kMoonYellow{255, 224, 64};
constexpr Rgb kRimWhite{255, 255, 255};

// The sixteen colours every display knows.
constexpr std::array<Rgb, 16> kVgaPalette = {{{0, 0, 0},
                                              {128, 0, 0},
                                              {0, 128, 0},
                                              {128, 128, 0},
                                              {0, 0, 128},
                                              {128, 0, 128},
                                              {0, 128, 128},
                                              {192, 192, 192},
                                              {128, 128, 128},
                                              {255, 0, 0},
                                              {0, 255, 0},
                                              {255, 255, 0},
                                              {0, 0, 255},
                                              {255, 0, 255},
                                              {0, 255, 255},
                                              {255, 255, 255}}};

std::uint32_t RowBytes(int width, int bits) {
  return ((width * bits + 31) / 32) * 4;
}

std::vector<Rgb> Palette(int bits) {
  std::vector<Rgb> palette(kVgaPalette.begin(), kVgaPalette.end());
  if (bits == 8) {
    // The VGA colours, then a 6x6x6 colour cube, then greys.
    for (int r = 0; r < 6; ++r)
      for (int g = 0; g < 6; ++g)
        for (int b = 0; b < 6; ++b)
          palette.push_back({std::uint8_t(r * 51), std::uint8_t(g * 51), std::uint8_t(b * 51)});
    while (palette.size() < 256) {
      const auto v = std::uint8_t((palette.size() - 232) * 10 + 8);
      palette.push_back({v, v, v});
    }
  }
  return palette;
}

int Nearest(const std::vector<Rgb>& palette, Rgb c) {
  int best = 0;
  long best_distance = -1;
  for (size_t i = 0; i < palette.size(); ++i) {
    const long dr = palette[i].r - c.r, dg = palette[i].g - c.g, db = palette[i].b - c.b;
    const long distance = dr * dr + dg * dg + db * db;
    if (best_distance < 0 || distance < best_distance) {
      best = static_cast<int>(i);
      best_distance = distance;
    }
  }
  return best;
}

// The picture at a pixel centre, in units of the image size; nothing outside
// the disc.
bool Pixel(int size, int x, int y, Rgb* colour) {
  const double u = (x + 0.5) / size - 0.5, v = (y + 0.5) / size - 0.5;
  const double r = std::hypot(u, v);
  if (r > 0.48) return false;
  *colour = r > 0.44 ? kRimWhite : kDiscBlue;
  const bool in_moon = std::hypot(u + 0.04, v) < 0.3;
  const bool in_shadow = std::hypot(u - 0.1, v - 0.08) < 0.26;
  if (in_moon && !in_shadow) *colour = kMoonYellow;
  return true;
}

void Put16(std::vector<std::uint8_t>& out, unsigned v) {
  out.push_back(v & 0xFF);
  out.push_back((v >> 8) & 0xFF);
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

void AppendImage(std::vector<std::uint8_t>& out, const ImageFormat& f) {
  const std::vector<Rgb> palette = f.bits == 24 ? std::vector<Rgb>{} : Palette(f.bits);
  Put32(out, kHeaderBytes);
  Put32(out, f.size);
  Put32(out, f.size * 2);  // colour rows and mask rows together
  Put16(out, 1);
  Put16(out, f.bits);
  Put32(out, 0);  // uncompressed
  Put32(out, ImageBytes(f) - kHeaderBytes - 4 * palette.size());
  for (int i = 0; i < 4; ++i) Put32(out, 0);
  for (const Rgb& c : palette) {
    out.insert(out.end(), {c.b, c.g, c.r, 0});
  }
  // Rows bottom up, as in every device-independent bitmap.
  std::vector<std::uint8_t> mask;
  for (int y = f.size - 1; y >= 0; --y) {
    std::vector<std::uint8_t> row(RowBytes(f.size, f.bits), 0);
    std::vector<std::uint8_t> mask_row(RowBytes(f.size, 1), 0);
    for (int x = 0; x < f.size; ++x) {
      Rgb c{0, 0, 0};
      if (!Pixel(f.size, x, y, &c)) mask_row[x / 8] |= 0x80 >> (x % 8);
      if (f.bits == 24) {
        row[x * 3] = c.b;
        row[x * 3 + 1] = c.g;
        row[x * 3 + 2] = c.r;
      } else if (f.bits == 8) {
        row[x] = static_cast<std::uint8_t>(Nearest(palette, c));
      } else {
        row[x / 2] |= Nearest(palette, c) << (x % 2 ? 0 : 4);
      }
    }
    out.insert(out.end(), row.begin(), row.end());
    mask.insert(mask.end(), mask_row.begin(), mask_row.end());
  }
  out.insert(out.end(), mask.begin(), mask.end());
}

}  // namespace

std::uint32_t ImageBytes(const ImageFormat& f) {
  const std::uint32_t palette = f.bits == 24 ? 0 : 4u << f.bits;
  return kHeaderBytes + palette + (RowBytes(f.size, f.bits) + RowBytes(f.size, 1)) * f.size;
}

std::vector<std::uint8_t> BuildIcon() {
  constexpr std::uint32_t kDirectoryEntryBytes = 16;
  std::vector<std::uint8_t> out;
  Put16(out, 0);
  Put16(out, 1);  // an icon, not a cursor
  Put16(out, std::size(kImages));
  std::uint32_t offset = 6 + kDirectoryEntryBytes * std::size(kImages);
  for (const ImageFormat& f : kImages) {
    out.push_back(static_cast<std::uint8_t>(f.size));
    out.push_back(static_cast<std::uint8_t>(f.size));
    out.push_back(f.bits == 4 ? 16 : 0);  // palette entries (0: 256 or more)
    out.push_back(0);
    Put16(out, 1);
    Put16(out, f.bits);
    Put32(out, ImageBytes(f));
    Put32(out, offset);
    offset += ImageBytes(f);
  }
  for (const ImageFormat& f : kImages) AppendImage(out, f);
  return out;
}

}  // namespace dizod::icon
