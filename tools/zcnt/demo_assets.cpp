// The demo's pictures.
#include "tools/zcnt/demo_assets.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace zcnt {

bool write_product_photo(const std::string& path, std::string* error)
{
    constexpr int width = 480, height = 360;
    std::vector<unsigned char> rgb(std::size_t(width) * height * 3);
    const double cx = 240, cy = 160, radius = 110;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            // Backdrop: light grey fading to white towards the top, a floor below the horizon.
            double r, g, b;
            const double t = double(y) / height;
            r = g = b = 0.97 - 0.25 * t;
            // Soft shadow on the floor.
            const double sx = (x - cx) / (radius * 1.1), sy = (y - 292) / (radius * 0.22);
            const double shadow = std::max(0.0, 1 - (sx * sx + sy * sy));
            r -= 0.35 * shadow;
            g -= 0.35 * shadow;
            b -= 0.33 * shadow;
            // The ball: diffuse light from the upper left and a highlight.
            const double dx = (x - cx) / radius, dy = (y - cy) / radius, d2 = dx * dx + dy * dy;
            if (d2 <= 1) {
                const double dz = std::sqrt(1 - d2);
                const double light = std::max(0.0, -0.5 * dx - 0.6 * dy + 0.62 * dz);
                const double shine = std::pow(std::max(0.0, -0.35 * dx - 0.45 * dy + 0.82 * dz), 40);
                r = 0.10 + 0.75 * light + shine;
                g = 0.25 + 0.45 * light + shine;
                b = 0.55 + 0.40 * light + shine;
            }
            unsigned char* p = &rgb[(std::size_t(y) * width + x) * 3];
            p[0] = static_cast<unsigned char>(std::clamp(r, 0.0, 1.0) * 255 + 0.5);
            p[1] = static_cast<unsigned char>(std::clamp(g, 0.0, 1.0) * 255 + 0.5);
            p[2] = static_cast<unsigned char>(std::clamp(b, 0.0, 1.0) * 255 + 0.5);
        }
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = PNG_FORMAT_RGB;
    if (!png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr)) {
        *error = "cannot write " + path + ": " + image.message;
        return false;
    }
    return true;
}

nlohmann::json datasheet_description()
{
    using nlohmann::json;
    auto text = [](long long y, const char* body, long long size, bool bold) {
        return json{{"page", 1}, {"x", 500}, {"y", y}, {"text", body}, {"font", "Arial"},
                    {"size", size}, {"bold", bold}, {"color", 0x202020}};
    };
    json d;
    // A5 at 720 units per inch.
    d["pages"] = json::array({{{"resolution", 720}, {"width", 4195}, {"height", 5953}}});
    d["texts"] = json::array({text(800, "Data sheet", 240, true),
                              text(1300, "Model Orb 300 \xE2\x80\x94 studio ball", 120, false),
                              text(1600, "Diameter: 300 mm   Weight: 0.4 kg", 100, false),
                              text(1800, "Material: recycled polymer, matt finish", 100, false)});
    d["elements"] = json::array(
        {{{"page", 1},
          {"class", "Orvane.ZCntElementNote.1"},
          {"calls", json::array({json::array({"SetPosition", 500, 2300, 3100, 900}),
                                 json::array({"SetNoteData", "Available from stock in blue, red and grey.",
                                              0x202020, "Arial", 110, false, false, 0xF5E6D6,
                                              0x8C5A2E, 1, false, false, 0})})}}});
    return d;
}

}  // namespace zcnt
