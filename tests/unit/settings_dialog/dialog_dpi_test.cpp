// The dialog on scaled screens: one row per DPI, from twips to the pixels of
// the window, the pictures, the button skins' pieces and the banner.
#include <gtest/gtest.h>

#include <tuple>

#include "dialog_rules.h"
#include "gif_compose.h"
#include "skin_layout.h"
#include "twips.h"

namespace {
struct Row {
    int dpi;
    int windowWidth, windowHeight, windowLeft, windowTop;  // on a 1920 x 1080 screen
    int mark, icon;                                        // 13- and 32-pixel pictures
    int buttonWidth, buttonHeight, band;                   // Cmd_Set (1215 x 375 twips), its 60-twip band
    int bannerWidth, bannerHeight;                         // the banner box after Stretch 1
};
// 478.5 and the origin's 622.5 and 200.5 round to the even neighbour, as
// every twips conversion of the form engine does.
constexpr Row kRows[] = {
    {96, 450, 319, 735, 254, 13, 32, 81, 25, 4, 120, 50},
    {120, 562, 399, 679, 227, 16, 40, 101, 31, 5, 149, 62},
    {144, 675, 478, 622, 200, 20, 48, 122, 38, 6, 180, 75},
    {192, 900, 638, 510, 147, 26, 64, 162, 50, 8, 240, 100},
};
}  // namespace

TEST(DialogDpi, EveryPartScalesByTheSameTwips) {
    // The skin's pieces in its own 64 x 25 pixels, at every DPI.
    const std::tuple<int, int, int, int> sources[] = {{0, 0, 4, 4},   {4, 0, 56, 4},  {60, 0, 4, 4}, {60, 4, 4, 17},
                                                      {60, 21, 4, 4}, {4, 21, 56, 4}, {0, 21, 4, 4}, {0, 4, 4, 17}};
    for (const Row& r : kRows) {
        SCOPED_TRACE(r.dpi);
        const float tpp = TwipsPerPixel(r.dpi);
        EXPECT_EQ(std::tuple(TwipsToPixels(6750, tpp), TwipsToPixels(4785, tpp)),
                  std::tuple(r.windowWidth, r.windowHeight));
        const DialogOrigin at =
            PlaceDialog(1920 * static_cast<double>(tpp), 1080 * static_cast<double>(tpp), 6750, 4785);
        EXPECT_EQ(std::tuple(TwipsToPixels(at.left, tpp), TwipsToPixels(at.top, tpp)),
                  std::tuple(r.windowLeft, r.windowTop));
        EXPECT_EQ(std::tuple(PictureToDevicePixels(13, tpp), PictureToDevicePixels(32, tpp)),
                  std::tuple(r.mark, r.icon));

        const int w = TwipsToPixels(1215, tpp), h = TwipsToPixels(375, tpp);
        ASSERT_EQ(std::tuple(w, h), std::tuple(r.buttonWidth, r.buttonHeight));
        const auto pieces = command::SkinPieces(w, h, tpp, tpp);
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            const command::SkinPiece& p = pieces[i];
            EXPECT_EQ(std::tuple(p.sourceX, p.sourceY, p.sourceWidth, p.sourceHeight), sources[i]) << "piece " << i;
        }
        // Corners of the band's size; edges meet them; the far corners end
        // at the control's edges.
        EXPECT_EQ(std::tuple(pieces[0].width, pieces[0].height, pieces[4].width), std::tuple(r.band, r.band, r.band));
        EXPECT_EQ(pieces[1].x + pieces[1].width, pieces[2].x);
        EXPECT_EQ(pieces[3].y + pieces[3].height, pieces[4].y);
        EXPECT_EQ(std::tuple(pieces[4].x + pieces[4].width, pieces[4].y + pieces[4].height), std::tuple(w, h));

        const float scale = kTwipsPerPicturePixel / tpp;
        const GifScale banner =
            ComputeGifScale(GifStretch::Fit, TwipsToPixels(1800, tpp), TwipsToPixels(750, tpp), 120, 50, scale, scale);
        EXPECT_EQ(std::tuple(banner.width, banner.height), std::tuple(r.bannerWidth, r.bannerHeight));
        // Stretch 4, the GIF's own size: its 96-dpi pixels on this screen.
        const GifScale own = ComputeGifScale(GifStretch::AutoSize, 7, 9, 120, 50, scale, scale);
        EXPECT_EQ(std::tuple(own.sx, own.width), std::tuple(scale, TwipsToPixels(1800, tpp)));
    }
    EXPECT_EQ(TwipsPerPixel(192), 7.5f) << "kept exact, not rounded to 7 or 8";
}
