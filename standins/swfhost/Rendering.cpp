#include "Rendering.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <system_error>
#include <utility>

#include "InvokeRequest.h"

namespace swfhost {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kGearScale = 3;

// Puts a GDI object into a DC for one scope and takes it out again before anyone deletes it.
class Selection {
 public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;
  ~Selection() { SelectObject(dc_, old_); }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

COLORREF Ref(Colour c) {
  return RGB(c.red, c.green, c.blue);
}

Colour Mix(Colour a, Colour b, double t) {
  auto channel = [t](std::uint8_t x, std::uint8_t y) {
    return static_cast<std::uint8_t>(std::lround(x + (y - x) * std::clamp(t, 0.0, 1.0)));
  };
  return Colour{channel(a.red, b.red), channel(a.green, b.green), channel(a.blue, b.blue)};
}

std::wstring Wide(std::string_view utf8) {
  std::u16string text = Utf16(utf8);
  return std::wstring(text.begin(), text.end());
}

// Box-filters a picture drawn scale times too large down to its size.
bool Downsample(const Surface& big, int scale, Surface& out) {
  int width = big.Width() / scale, height = big.Height() / scale;
  if (!out.Create(width, height))
    return false;
  const std::uint32_t* source = big.Pixels();
  std::uint32_t* target = out.Pixels();
  int samples = scale * scale;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      std::uint32_t sums[4] = {};
      for (int dy = 0; dy < scale; ++dy) {
        const std::uint32_t* row =
            source + static_cast<std::size_t>(y * scale + dy) * big.Width() + x * scale;
        for (int dx = 0; dx < scale; ++dx)
          for (int c = 0; c < 4; ++c)
            sums[c] += (row[dx] >> (8 * c)) & 0xFF;
      }
      std::uint32_t pixel = 0;
      for (int c = 0; c < 4; ++c)
        pixel |= ((sums[c] + samples / 2) / samples) << (8 * c);
      target[static_cast<std::size_t>(y) * width + x] = pixel;
    }
  }
  return true;
}

// A mask drawn white on black becomes a sprite of that colour whose coverage is the mask's brightness.
void Tint(Surface& mask, Colour colour) {
  std::uint32_t* pixel = mask.Pixels();
  for (std::size_t i = 0, n = static_cast<std::size_t>(mask.Width()) * mask.Height(); i < n; ++i) {
    std::uint32_t coverage = (pixel[i] >> 8) & 0xFF;
    auto premultiplied = [coverage](std::uint8_t c) { return (c * coverage + 127) / 255; };
    pixel[i] = coverage << 24 | premultiplied(colour.red) << 16 | premultiplied(colour.green) << 8 |
               premultiplied(colour.blue);
  }
}

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
  win32base::UniqueGdiObject brush(CreateSolidBrush(colour));
  FillRect(dc, &rect, static_cast<HBRUSH>(brush.Get()));
}

void Disc(HDC dc, double x, double y, double radius, COLORREF colour) {
  win32base::UniqueGdiObject brush(CreateSolidBrush(colour));
  Selection brushIn(dc, brush.Get());
  Selection penIn(dc, GetStockObject(NULL_PEN));
  ::Ellipse(dc, static_cast<int>(std::lround(x - radius)), static_cast<int>(std::lround(y - radius)),
            static_cast<int>(std::lround(x + radius)), static_cast<int>(std::lround(y + radius)));
}

int CALLBACK FaceFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
  *reinterpret_cast<bool*>(found) = true;
  return 0;
}

// a + (b - a) * weight / 256 for each channel, in integers: a frame's worth of pixels is mixed at a time.
std::uint32_t MixPixel(std::uint32_t pixel, Colour to, int weight) {
  auto channel = [weight](std::uint32_t from, std::uint32_t target) {
    int value =
        static_cast<int>(from) + ((static_cast<int>(target) - static_cast<int>(from)) * weight + 128) / 256;
    return static_cast<std::uint32_t>(std::clamp(value, 0, 255));
  };
  return (pixel & 0xFF000000u) | channel((pixel >> 16) & 0xFF, to.red) << 16 |
         channel((pixel >> 8) & 0xFF, to.green) << 8 | channel(pixel & 0xFF, to.blue);
}

int Weight(double amount) {
  return static_cast<int>(std::lround(std::clamp(amount, 0.0, 1.0) * 256));
}

// A soft glow of the accent behind the gear, fading to nothing so that it has no edge on the gradient.
void AddHalo(Surface& panel, const MovieDescription& movie) {
  const double reach = movie.glyphRadius * 1.8;
  std::uint32_t* pixels = panel.Pixels();
  for (int y = std::max(0, static_cast<int>(movie.glyphY - reach));
       y < std::min(panel.Height(), static_cast<int>(movie.glyphY + reach) + 1); ++y) {
    double dy = y - movie.glyphY;
    for (int x = std::max(0, static_cast<int>(movie.glyphX - reach));
         x < std::min(panel.Width(), static_cast<int>(movie.glyphX + reach) + 1); ++x) {
      double dx = x - movie.glyphX, squared = dx * dx + dy * dy;
      if (squared >= reach * reach)
        continue;
      double closeness = 1.0 - std::sqrt(squared) / reach;
      std::uint32_t& pixel = pixels[static_cast<std::size_t>(y) * panel.Width() + x];
      pixel = MixPixel(pixel, movie.accent, Weight(0.24 * closeness * closeness));
    }
  }
}

// How much of the pixel at (x, y) the rounded rectangle (0, 0, width, height, radius) covers, from the
// distance of its centre to the outline: antialiased edges without drawing anything larger.
double RoundedCoverage(double x, double y, double width, double height, double radius) {
  double cx = x + 0.5, cy = y + 0.5;
  double dx = std::max(radius - cx, cx - (width - radius));
  double dy = std::max(radius - cy, cy - (height - radius));
  double outside = std::sqrt(std::max(dx, 0.0) * std::max(dx, 0.0) + std::max(dy, 0.0) * std::max(dy, 0.0)) +
                   std::min(std::max(dx, dy), 0.0) - radius;
  return std::clamp(0.5 - outside, 0.0, 1.0);
}

// The share of the border in the pixel at (x, y): the outline's coverage less that of the outline
// inset by the border's width.
double BorderShare(int x, int y, int width, int height, double radius, double band) {
  return RoundedCoverage(x, y, width, height, radius) - RoundedCoverage(x - band, y - band, width - 2 * band,
                                                                        height - 2 * band,
                                                                        std::max(0.0, radius - band));
}

// The panel: a vertical gradient with an antialiased border along its rounded outline (the window's
// region cuts the corners off), worked out pixel by pixel. Along the straight sides the border depends
// on one coordinate only, so it is worked out once per row and column; only the corners take more.
bool BuildPanel(const MovieDescription& movie, Surface& panel) {
  if (!panel.Create(movie.width, movie.height))
    return false;
  const int width = panel.Width(), height = panel.Height();
  const double radius = std::max(0, movie.radius), band = std::max(0, movie.borderWidth);
  const int reach = static_cast<int>(radius + band) + 2;
  std::vector<int> across(static_cast<std::size_t>(width)), down(static_cast<std::size_t>(height));
  for (int x = 0; x < width; ++x)
    across[static_cast<std::size_t>(x)] =
        band > 0 ? Weight(BorderShare(x, height / 2, width, height, radius, band)) : 0;
  for (int y = 0; y < height; ++y)
    down[static_cast<std::size_t>(y)] =
        band > 0 ? Weight(BorderShare(width / 2, y, width, height, radius, band)) : 0;
  std::uint32_t* pixels = panel.Pixels();
  for (int y = 0; y < height; ++y) {
    Colour row =
        Mix(movie.panelTop, movie.panelBottom, height > 1 ? static_cast<double>(y) / (height - 1) : 0.0);
    const std::uint32_t fill =
        0xFF000000u | std::uint32_t{row.red} << 16 | std::uint32_t{row.green} << 8 | row.blue;
    const bool endRow = y < reach || y >= height - reach;
    std::uint32_t* line = pixels + static_cast<std::size_t>(y) * width;
    for (int x = 0; x < width; ++x) {
      const bool endColumn = x < reach || x >= width - reach;
      int weight = endRow && endColumn
                       ? (band > 0 ? Weight(BorderShare(x, y, width, height, radius, band)) : 0)
                   : endRow    ? down[static_cast<std::size_t>(y)]
                   : endColumn ? across[static_cast<std::size_t>(x)]
                               : 0;
      line[x] = weight ? MixPixel(fill, movie.border, weight) : fill;
    }
  }
  if (movie.gear)
    AddHalo(panel, movie);
  return true;
}

// The gear's outline turned by angle: teeth as trapezoids on a body circle.
std::vector<POINT> GearOutline(double cx, double cy, double radius, int teeth, double angle) {
  std::vector<POINT> points;
  double pitch = 2 * kPi / teeth;
  double root = radius * 0.80;
  auto at = [&](double r, double a) {
    points.push_back(POINT{static_cast<LONG>(std::lround(cx + r * std::cos(a))),
                           static_cast<LONG>(std::lround(cy + r * std::sin(a)))});
  };
  for (int i = 0; i < teeth; ++i) {
    double base = angle + i * pitch;
    at(root, base - pitch * 0.5);
    at(root, base - pitch * 0.27);
    at(radius, base - pitch * 0.17);
    at(radius, base + pitch * 0.17);
    at(root, base + pitch * 0.27);
  }
  return points;
}

bool BuildGear(const MovieDescription& movie, double angle, Surface& sprite) {
  const int s = kGearScale;
  const double reach = movie.glyphRadius * 1.3;
  int side = static_cast<int>(std::ceil(2 * reach)) + 2;
  Surface big;
  if (!big.Create(side * s, side * s))
    return false;
  HDC dc = big.Dc();
  double c = side * s / 2.0, r = movie.glyphRadius * s;
  const COLORREF white = RGB(255, 255, 255), black = RGB(0, 0, 0);

  // A thin ring around the gear, broken into arcs like a gauge.
  {
    win32base::UniqueGdiObject pen(CreatePen(PS_SOLID, std::max(1, 2 * s), white));
    Selection penIn(dc, pen.Get());
    for (int arc = 0; arc < 3; ++arc) {
      double from = -kPi / 2 + arc * 2 * kPi / 3 + 0.22, to = from + 2 * kPi / 3 - 0.44;
      double ring = r * 1.2;
      Arc(dc, static_cast<int>(c - ring), static_cast<int>(c - ring), static_cast<int>(c + ring),
          static_cast<int>(c + ring), static_cast<int>(c + ring * std::cos(to)),
          static_cast<int>(c + ring * std::sin(to)), static_cast<int>(c + ring * std::cos(from)),
          static_cast<int>(c + ring * std::sin(from)));
    }
  }
  std::vector<POINT> outline = GearOutline(c, c, r, 10, angle);
  {
    win32base::UniqueGdiObject brush(CreateSolidBrush(white));
    Selection brushIn(dc, brush.Get());
    Selection penIn(dc, GetStockObject(NULL_PEN));
    Polygon(dc, outline.data(), static_cast<int>(outline.size()));
  }
  Disc(dc, c, c, r * 0.52, black);
  Disc(dc, c, c, r * 0.40, white);
  Disc(dc, c, c, r * 0.17, black);
  // Lightening holes between hub and rim, turning with the teeth.
  for (int i = 0; i < 5; ++i) {
    double a = angle + i * 2 * kPi / 5;
    Disc(dc, c + r * 0.285 * std::cos(a), c + r * 0.285 * std::sin(a), r * 0.06, black);
  }
  if (!Downsample(big, s, sprite))
    return false;
  Tint(sprite, movie.accent);
  return true;
}

bool BuildTitle(const MovieDescription& movie, const std::wstring& face, Surface& sprite) {
  if (!sprite.Create(movie.width, movie.titleSize * 2))
    return false;
  HDC dc = sprite.Dc();
  win32base::UniqueGdiObject font = MakeFont(face, movie.titleSize, 600);
  Selection fontIn(dc, font.Get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  // Small capitals read as a caption when spread out a little.
  SetTextCharacterExtra(dc, std::max(1, movie.titleSize / 6));
  std::wstring title = Wide(movie.title);
  RECT rect{0, 0, sprite.Width(), sprite.Height()};
  DrawTextW(dc, title.c_str(), static_cast<int>(title.size()), &rect,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
  Tint(sprite, movie.titleColour);
  return true;
}

void Blend(HDC target, const Surface& sprite, int x, int y, double opacity) {
  if (!sprite || opacity <= 0.0)
    return;
  BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(std::lround(std::clamp(opacity, 0.0, 1.0) * 255)),
                      AC_SRC_ALPHA};
  // GDI's own entry rather than msimg32's AlphaBlend, which only forwards to it: one library fewer to
  // load with the player.
  GdiAlphaBlend(target, x, y, sprite.Width(), sprite.Height(), sprite.Dc(), 0, 0, sprite.Width(),
                sprite.Height(), blend);
}

}  // namespace

bool Surface::Create(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = std::max(1, width);
  info.bmiHeader.biHeight = -std::max(1, height);
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  win32base::UniqueGdiObject bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  win32base::UniqueHandle<MemoryDcTraits> dc(CreateCompatibleDC(nullptr));
  if (!bitmap || !dc || !bits)
    return false;
  Reset();
  SelectObject(dc.Get(), bitmap.Get());
  bitmap_ = std::move(bitmap);
  dc_ = std::move(dc);
  pixels_ = static_cast<std::uint32_t*>(bits);
  width_ = std::max(1, width);
  height_ = std::max(1, height);
  return true;
}

Surface& Surface::operator=(Surface&& other) noexcept {
  if (this != &other) {
    Reset();
    bitmap_ = std::move(other.bitmap_);
    dc_ = std::move(other.dc_);
    pixels_ = std::exchange(other.pixels_, nullptr);
    width_ = std::exchange(other.width_, 0);
    height_ = std::exchange(other.height_, 0);
  }
  return *this;
}

void Surface::Reset() {
  dc_.Reset();
  bitmap_.Reset();
  pixels_ = nullptr;
  width_ = height_ = 0;
}

win32base::UniqueGdiObject MakeFont(const std::wstring& face, int size, int weight) {
  return win32base::UniqueGdiObject(CreateFontW(-size, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                                OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                                                DEFAULT_PITCH | FF_SWISS, face.c_str()));
}

std::wstring InstalledFace(const std::vector<std::string>& faces) {
  if (faces.empty())
    return L"Tahoma";
  win32base::UniqueHandle<MemoryDcTraits> dc(CreateCompatibleDC(nullptr));
  for (const std::string& name : faces) {
    std::wstring face = Wide(name);
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(wanted.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    bool found = false;
    EnumFontFamiliesExW(dc.Get(), &wanted, FaceFound, reinterpret_cast<LPARAM>(&found), 0);
    if (found)
      return face;
  }
  return Wide(faces.back());
}

FittedLabel FitLabel(HDC dc, const std::wstring& face, int weight, const std::wstring& text, int width,
                     int height, int largest, int smallest) {
  FittedLabel fitted;
  fitted.text = text;
  fitted.format = DT_CENTER | DT_WORDBREAK | DT_NOPREFIX;
  auto measure = [&](const std::wstring& candidate, UINT format, SIZE& size) {
    RECT rect{0, 0, width, 0};
    DrawTextW(dc, candidate.c_str(), static_cast<int>(candidate.size()), &rect, format | DT_CALCRECT);
    size = SIZE{rect.right - rect.left, rect.bottom - rect.top};
    return size.cx <= width && size.cy <= height;
  };
  SIZE size{};
  for (int points = largest;; points = std::max(smallest, points - std::max(1, points / 10))) {
    win32base::UniqueGdiObject font = MakeFont(face, points, weight);
    Selection fontIn(dc, font.Get());
    fitted.size = points;
    if (measure(text, fitted.format, size)) {
      fitted.height = size.cy;
      return fitted;
    }
    if (points > smallest)
      continue;

    // Words wider than the box are broken between characters, as an edit control does.
    fitted.format |= DT_EDITCONTROL;
    if (measure(text, fitted.format, size)) {
      fitted.height = size.cy;
      return fitted;
    }
    // The longest start of the text that fits with an ellipsis after it; never half a surrogate pair.
    auto shortened = [&](std::size_t count) {
      if (count > 0 && count < text.size() && text[count - 1] >= 0xD800 && text[count - 1] <= 0xDBFF)
        --count;
      return text.substr(0, count) + L"\u2026";
    };
    std::size_t fits = 0, fails = text.size();
    while (fails - fits > 1) {
      std::size_t middle = fits + (fails - fits) / 2;
      (measure(shortened(middle), fitted.format, size) ? fits : fails) = middle;
    }
    fitted.text = shortened(fits);
    measure(fitted.text, fitted.format, size);
    fitted.height = std::min<int>(size.cy, height);
    fitted.shortened = true;
    return fitted;
  }
}

LabelArt MakeLabelArt(const MovieDescription& movie, std::wstring face, const std::wstring& label,
                      bool withPanel) {
  LabelArt art;
  art.face = face.empty() ? InstalledFace(movie.fonts) : std::move(face);
  if (withPanel)
    BuildPanel(movie, art.panel);
  const Box& box = movie.labelBox;
  if (label.empty() || !art.sprite.Create(box.Width(), box.Height()))
    return art;
  HDC dc = art.sprite.Dc();
  art.fitted = FitLabel(dc, art.face, movie.labelWeight, label, box.Width(), box.Height(), movie.labelSize,
                        movie.labelMinSize);
  win32base::UniqueGdiObject font = MakeFont(art.face, art.fitted.size, movie.labelWeight);
  Selection fontIn(dc, font.Get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  int top = (box.Height() - art.fitted.height) / 2;
  RECT rect{0, top, box.Width(), top + art.fitted.height};
  DrawTextW(dc, art.fitted.text.c_str(), static_cast<int>(art.fitted.text.size()), &rect, art.fitted.format);
  Tint(art.sprite, movie.labelColour);
  // The pictures go to the window's thread, whose GDI calls do not flush this thread's batch.
  GdiFlush();
  return art;
}

void MovieArt::Reset(const std::wstring& label) {
  Settle();
  ReleaseAnimation();
  panel_.Reset();
  labelSprite_.Reset();
  label_ = FittedLabel{};
  face_.clear();
  labelText_ = label;
  labelStale_ = true;
}

void MovieArt::ReleaseAnimation() {
  gear_.clear();
  title_.Reset();
}

const std::wstring& MovieArt::Face(const MovieDescription& movie) {
  if (face_.empty())
    face_ = InstalledFace(movie.fonts);
  return face_;
}

const Surface* MovieArt::GearAt(const MovieDescription& movie, int step) {
  if (gear_.empty())
    gear_.resize(kGearSteps);
  Surface& gear = gear_[static_cast<std::size_t>(step)];
  if (!gear && !BuildGear(movie, -kPi / 2 + (2 * kPi / 10) * step / kGearSteps, gear))
    return nullptr;
  return &gear;
}

void MovieArt::SetLabel(const MovieDescription& movie, const std::wstring& label) {
  // One at a time, in the order given: the last text wins.
  Settle();
  labelText_ = label;
  labelSprite_.Reset();
  label_ = FittedLabel{};
  try {
    pending_ = std::async(std::launch::async, MakeLabelArt, movie, face_, label, !panel_);
    labelStale_ = false;
  } catch (const std::system_error&) {
    // No thread to be had: the first frame makes the label itself.
    labelStale_ = true;
  }
}

void MovieArt::Settle() {
  if (!pending_.valid())
    return;
  try {
    Take(pending_.get());
  } catch (const std::bad_alloc&) {
    // Out of memory on the way: the first frame that needs the label tries again.
    labelStale_ = true;
  }
}

void MovieArt::Take(LabelArt art) {
  if (face_.empty())
    face_ = std::move(art.face);
  if (art.panel && !panel_)
    panel_ = std::move(art.panel);
  labelSprite_ = std::move(art.sprite);
  label_ = std::move(art.fitted);
}

bool MovieArt::Compose(const Surface& target, const MovieDescription& movie, Frame frame) {
  Settle();
  if (!panel_ && !BuildPanel(movie, panel_))
    return false;
  HDC dc = target.Dc();
  BitBlt(dc, 0, 0, panel_.Width(), panel_.Height(), panel_.Dc(), 0, 0, SRCCOPY);
  // The content trails the panel: it starts to show once the panel is mostly there. Until then nothing
  // of it is drawn, so nothing of it need be made yet.
  double content = std::clamp((frame.appear - 0.15) / 0.85, 0.0, 1.0);
  if (content <= 0.0)
    return true;
  if (movie.gear) {
    // The gear travels half as far as the text and turns by one tooth while it comes in.
    int step =
        std::clamp(static_cast<int>(std::lround((1.0 - frame.appear) * (kGearSteps - 1))), 0, kGearSteps - 1);
    if (const Surface* gear = GearAt(movie, step))
      Blend(dc, *gear, movie.glyphX - gear->Width() / 2,
            movie.glyphY - gear->Height() / 2 + static_cast<int>(std::lround(frame.slide * 0.5)), content);
  }
  int titleY = movie.titleTop + static_cast<int>(std::lround(frame.slide * 0.75));
  if (!movie.title.empty()) {
    if (!title_)
      BuildTitle(movie, Face(movie), title_);
    Blend(dc, title_, 0, titleY - movie.titleSize / 2, content);
    // An accent bar under the caption that grows out from the middle.
    int half = static_cast<int>(std::lround(30 * content));
    int y = titleY + movie.titleSize + movie.titleSize / 2;
    if (half > 0)
      FillSolid(dc, RECT{movie.width / 2 - half, y, movie.width / 2 + half, y + 3}, Ref(movie.accent));
  }
  if (labelStale_) {
    Take(MakeLabelArt(movie, Face(movie), labelText_, false));
    labelStale_ = false;
  }
  Blend(dc, labelSprite_, movie.labelBox.left,
        movie.labelBox.top + static_cast<int>(std::lround(frame.slide)), content);
  return true;
}

}  // namespace swfhost
