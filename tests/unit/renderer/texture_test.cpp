#include <gtest/gtest.h>

#include <cstdio>

#include "bitmap_fixture.h"
#include "gl_api.h"
#include "gl_recorder.h"
#include "texture.h"

TEST(Texture, LoadBmpUploadsTheRingPictureWithItsParameters) {
    const std::string path = WriteTempFile(MakeBitmap(64, 64));
    ResetGlRecorder();
    Texture texture;
    EXPECT_TRUE(texture.LoadBMP(path.c_str()));
    EXPECT_EQ(texture.Width(), 64);
    EXPECT_EQ(texture.Height(), 64);
    EXPECT_EQ(texture.GlName(), 2u) << "GL name 1, stored plus one";
    EXPECT_STREQ(texture.Name(), path.c_str());
    EXPECT_EQ(GlCallNames(), (std::vector<std::string>{"GenTextures", "BindTexture", "TexParameterf", "TexParameterf",
                                                       "TexParameterf", "TexParameterf", "PixelStorei", "PixelStorei",
                                                       "PixelStorei", "PixelStorei", "Build2DMipmaps"}));
    EXPECT_EQ(glCalls[1].args, (std::vector<double>{GL_TEXTURE_2D, 1}));
    EXPECT_EQ(glCalls[2].args, (std::vector<double>{GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, 10497.0}));
    EXPECT_EQ(glCalls[3].args, (std::vector<double>{GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, 10497.0}));
    EXPECT_EQ(glCalls[4].args, (std::vector<double>{GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, 9729.0}));
    EXPECT_EQ(glCalls[5].args, (std::vector<double>{GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, 9985.0}));
    EXPECT_EQ(glCalls[6].args, (std::vector<double>{GL_UNPACK_ALIGNMENT, 4}));
    EXPECT_EQ(glCalls[10].args, (std::vector<double>{GL_TEXTURE_2D, 3, 64, 64, 0x80E0, GL_UNSIGNED_BYTE}));
    std::remove(path.c_str());
}

TEST(Texture, FailedLoadKeepsAnEmptyBoundNameAndReloadDeletesTheOldOne) {
    ResetGlRecorder();
    Texture texture;
    EXPECT_FALSE(texture.LoadBMP("/nonexistent/Nimbel.bmp"));
    EXPECT_EQ(texture.GlName(), 2u);
    EXPECT_EQ(GlCallNames().back(), "TexParameterf") << "nothing is uploaded";

    auto bytes = MakeBitmap(101, 2);
    bytes.pop_back();  // one byte short of the pixel rows
    const std::string path = WriteTempFile(bytes);
    const std::size_t mark = glCalls.size();
    EXPECT_FALSE(texture.LoadBMP(path.c_str()));
    EXPECT_EQ(glCalls[mark].name, "DeleteTextures");
    EXPECT_EQ(glCalls[mark].args[1], 1.0);
    EXPECT_EQ(glCalls[mark + 1].name, "GenTextures");
    EXPECT_EQ(texture.GlName(), 3u);
    std::remove(path.c_str());

    texture.Release();
    EXPECT_EQ(texture.GlName(), 0u);
    const std::size_t after = glCalls.size();
    texture.Release();
    EXPECT_EQ(glCalls.size(), after) << "releasing an empty texture calls nothing";
}

TEST(Texture, LongPathIsCutToSixtyThreeCharacters) {
    ResetGlRecorder();
    Texture texture;
    const std::string path(100, 'x');
    texture.Create(path.c_str());
    EXPECT_EQ(std::string(texture.Name()), std::string(63, 'x'));
}
